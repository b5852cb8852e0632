// Input queued as the window system queues it, for tests of what the user
// clicks and types in a window whose event loop may not be the test's own.
// QTest's events are sent straight to the widget, past every event loop;
// these wait in the window system's queue until a loop takes them, so a
// loop that excludes user input holds them back, as it does a real click.
#pragma once

#include <Qt>

class QWidget;

namespace tallix::test {

// A click of the left button at the middle of `widget`.
void queueClick(QWidget* widget);
// `key` pressed and released in the window of `widget`.
void queueKey(QWidget* widget, Qt::Key key);
// The close box of the window of `widget`.
void queueClose(QWidget* widget);
// How many window system events wait to be taken.
int queuedWindowSystemEvents();

}  // namespace tallix::test
