#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "platform/OleDropTarget.h"

#include <QCoreApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(OleData, FormatsTravelThroughMimeDataAsBytes) {
  const UINT id = RegisterClipboardFormat("QXL SData Object Info");
  EXPECT_GE(id, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormat("qxl sdata object info"), id);
  EXPECT_NE(RegisterClipboardFormat("QXL SData Object"), id);
  EXPECT_EQ(RegisterClipboardFormat(""), 0u);

  COleDataSource source;
  const QByteArray block("\x00\x04\x00\x00\xff\x81", 6);
  source.CacheGlobalData(CLIPFORMAT(id), block);
  source.CacheGlobalData(CF_TEXT, QByteArray("caf\xe9\r\n\x80\r!", 9) + QByteArray(1, '\0') + "junk");
  COleDataObject data;
  data.Attach(source.CreateMimeData());
  // Other programs get the lines ending with LF.
  EXPECT_EQ(data.GetMimeData()->text(), QStringLiteral("café\n€\n!"));
  EXPECT_EQ(data.GetGlobalData(CLIPFORMAT(id)), block);
  EXPECT_EQ(data.GetGlobalData(CF_TEXT), QByteArray("caf\xe9\n\x80\n!", 9));
  EXPECT_FALSE(data.IsDataAvailable(CLIPFORMAT(RegisterClipboardFormat("QXL SData Object"))));
  EXPECT_FALSE(data.GetGlobalData(CLIPFORMAT(0xBFFF)).has_value());
}

TEST(OleData, DragLoopIsOneReplaceableFunction) {
  const UINT id = RegisterClipboardFormat("OrvoTokenEditorFmt");
  QByteArray seen;
  DROPEFFECT allowedSeen = 0;
  const DoDragDropHandler previous = SetDoDragDropHandler([&](COleDataSource& s, DROPEFFECT allowed, QWidget*) {
    COleDataObject data;
    data.Attach(s.CreateMimeData());
    seen = data.GetGlobalData(CLIPFORMAT(id)).value_or("none");
    allowedSeen = allowed;
    return DROPEFFECT_MOVE;
  });
  COleDataSource source;
  source.CacheGlobalData(CLIPFORMAT(id), "tokens");
  EXPECT_EQ(source.DoDragDrop(DROPEFFECT_MOVE | DROPEFFECT_SCROLL), DROPEFFECT_MOVE);
  EXPECT_EQ(seen, "tokens");
  EXPECT_EQ(allowedSeen, DROPEFFECT_MOVE | DROPEFFECT_SCROLL);
  SetDoDragDropHandler(previous);
}

// Copies with Ctrl, else moves; a scroll zone at the top answers SCROLL.
class GridLikeTarget : public COleDropTarget {
 public:
  std::string calls;
  DROPEFFECT dropped = 0;
  DROPEFFECT OnDragScroll(QWidget*, DWORD, QPoint point) override {
    calls += "S";
    return point.y() < 5 ? DROPEFFECT_SCROLL | DROPEFFECT_MOVE : DROPEFFECT_NONE;
  }
  DROPEFFECT OnDragEnter(QWidget* w, COleDataObject* d, DWORD k, QPoint p) override {
    calls += "E";
    return OnDragOver(w, d, k, p);
  }
  DROPEFFECT OnDragOver(QWidget*, COleDataObject* data, DWORD keyState, QPoint) override {
    calls += "O";
    if (!data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  }
  void OnDragLeave(QWidget*) override { calls += "L"; }
  BOOL OnDrop(QWidget*, COleDataObject*, DROPEFFECT effect, QPoint) override {
    calls += "D";
    dropped = effect;
    return TRUE;
  }
};

TEST(OleData, DropTargetGetsKeyStateAndEffectsCutToWhatTheSourceAllows) {
  QWidget window;
  GridLikeTarget target;
  ASSERT_TRUE(target.Register(&window));
  EXPECT_FALSE(target.Register(&window));
  QMimeData mime;
  mime.setText(QStringLiteral("1\t2"));
  const auto move = [&](QPoint at, Qt::DropActions allowed, Qt::KeyboardModifiers keys) {
    QDragMoveEvent e(at, allowed, &mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(&window, &e);
    return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
  };
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &enter);
  EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
  EXPECT_EQ(move(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, Qt::ControlModifier), Qt::CopyAction);
  EXPECT_EQ(move(QPoint(20, 2), Qt::CopyAction | Qt::MoveAction, Qt::ControlModifier), Qt::MoveAction);
  EXPECT_EQ(move(QPoint(20, 20), Qt::CopyAction, Qt::NoModifier), Qt::IgnoreAction);
  EXPECT_EQ(target.calls, "SEOSOSSO");

  // A drop where the last answer refused it only ends the drag.
  QDropEvent refused(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &refused);
  EXPECT_FALSE(refused.isAccepted());
  EXPECT_EQ(target.calls.back(), 'L');

  QDragEnterEvent again(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::ControlModifier);
  QCoreApplication::sendEvent(&window, &again);
  EXPECT_EQ(again.dropAction(), Qt::CopyAction);
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::ControlModifier);
  QCoreApplication::sendEvent(&window, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
  EXPECT_EQ(target.dropped, DROPEFFECT_COPY);
}

}  // namespace
