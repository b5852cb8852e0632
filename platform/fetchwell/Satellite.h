// The library's resource satellite "Fetchwell.lng": a Qt binary resource
// file beside the library, with its own root ":/fetchwell/" (strings/*.txt in
// the string-table text form, dialogs/<id>*.ui, animations/<id>*), registered
// for the time of one download.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <map>

namespace fetchwell {

class Satellite {
 public:
  Satellite();
  ~Satellite();
  Satellite(const Satellite&) = delete;
  Satellite& operator=(const Satellite&) = delete;

  bool isLoaded() const { return !file_.isEmpty(); }
  QString string(unsigned id) const;
  // The string with "%1" and "%2" filled in one pass.
  QString format(unsigned id, const QString& a1, const QString& a2 = {}) const;
  // The dialog's widget tree; controls carry their ids in "ctrlId".
  QWidget* loadDialog(unsigned id, QWidget* parent) const;
  // The resource path of an animation, empty when missing.
  QString animationPath(unsigned id) const;

 private:
  QString findFile(const QString& folder, unsigned id) const;
  QString file_;
  // The satellite's bytes, read whole: Qt reads the resources from here.
  QByteArray data_;
  std::map<unsigned, QString> strings_;
};

// The control of `dialog` whose "ctrlId" is `id`, or null.
template <class T>
T* control(QWidget* dialog, int id) {
  for (T* w : dialog->findChildren<T*>())
    if (w->property("ctrlId").toInt() == id) return w;
  return nullptr;
}

}  // namespace fetchwell
