// Run-time classes: a class's QMetaObject stands for its run-time class
// record. A class that can be created by name declares Q_OBJECT and a
// Q_INVOKABLE constructor without arguments, and is registered once (the
// registry is filled by explicit calls, never by static initialisers, which
// static libraries would drop).
#pragma once

#include <QMetaObject>
#include <QObject>

using CRuntimeClass = QMetaObject;
#define RUNTIME_CLASS(T) (&T::staticMetaObject)

// Makes `cls` known by its class name; registering it again is harmless.
void RegisterRuntimeClass(const CRuntimeClass* cls);
// Makes `cls` known under another name (stand-ins in tests).
void RegisterRuntimeClassAs(const char* className, const CRuntimeClass* cls);
// The registered class of that name, or null.
const CRuntimeClass* FindRuntimeClass(const char* className);
// A new object of the class (its Q_INVOKABLE constructor without
// arguments); null when the class cannot be created that way.
QObject* CreateObject(const CRuntimeClass* cls);
QObject* CreateObject(const char* className);
// Kind-of test: is `object` of class `cls` or of a class derived from it.
bool IsKindOf(const QObject* object, const CRuntimeClass* cls);

template <class T>
T* DynamicDowncast(QObject* object) {
  return qobject_cast<T*>(object);
}
