// The headers of the test programs compiled once for all of them: the
// libraries' set and GoogleTest. (QTest stays out: its headers depend on
// definitions that differ from one test program to the next.)
#pragma once

#include "Libraries.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
