// The headers that most sources of the program include, compiled once for
// all the libraries (see tallix_precompiled_headers in TallixTargets.cmake).
// Only headers of the standard library and of Qt: the project's own headers
// change too often to be worth it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QString>
#include <QWidget>
