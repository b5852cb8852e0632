#include "classlib/ListHelpers.h"

#include "classlib/ParseNumber.h"
#include "classlib/ProfileSettings.h"
#include "platform/LanguageLibrary.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListWidget>
#include <QTreeWidget>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxWidthText = 511;
constexpr int kMaxColumns = 128;

// The stored widths when they are usable for every column, else empty.
std::vector<int> storedWidths(const ListColumnSetup& setup) {
  if (setup.count > kMaxColumns) return {};
  std::string text;
  AppGetProfileString(&text, setup.section, setup.key, "");
  if (text.size() > kMaxWidthText) return {};
  std::vector<int> widths(size_t(setup.count), 0);
  int read = 0;
  if (!ParseNumberList(text.c_str(), widths.data(), setup.count, &read) || read < setup.count) return {};
  for (int w : widths)
    if (w < 0) return {};
  return widths;
}

void labelColumns(QTreeView* list, const ListColumnSetup& setup) {
  const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
  auto caption = [&](int i) {
    return setup.captionIds ? CLanguageLibrary::LoadString(setup.captionIds[i]) : QString();
  };
  if (auto* tree = qobject_cast<QTreeWidget*>(list)) {
    tree->setColumnCount(setup.count);
    QTreeWidgetItem* header = tree->headerItem();
    for (int i = 0; i < setup.count; ++i) {
      header->setText(i, caption(i));
      header->setTextAlignment(i, left);
    }
    return;
  }
  QAbstractItemModel* model = list->model();
  if (!model) return;
  if (model->columnCount() < setup.count)
    model->insertColumns(model->columnCount(), setup.count - model->columnCount());
  for (int i = 0; i < setup.count && i < model->columnCount(); ++i) {
    model->setHeaderData(i, Qt::Horizontal, caption(i), Qt::DisplayRole);
    model->setHeaderData(i, Qt::Horizontal, int(left), Qt::TextAlignmentRole);
  }
}

}  // namespace

BOOL InitListColumns(QTreeView* list, const ListColumnSetup* setup) {
  if (!list || !setup) return FALSE;
  const int digitWidth = QFontMetrics(list->font()).horizontalAdvance(QLatin1Char('0'));
  std::vector<int> widths = storedWidths(*setup);
  if (widths.empty())
    for (int i = 0; i < setup->count; ++i) widths.push_back(setup->defaultWidths ? setup->defaultWidths[i] * digitWidth : 0);

  labelColumns(list, *setup);
  QHeaderView* header = list->header();
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(0);
  for (int i = 0; i < setup->count; ++i) header->resizeSection(i, widths[size_t(i)]);
  return TRUE;
}

BOOL SaveListColumnWidths(QTreeView* list, const ListColumnSetup* setup) {
  if (!list || !setup) return FALSE;
  std::string text;
  for (int i = 0; i < setup->count; ++i) text += std::to_string(list->header()->sectionSize(i)) + ' ';
  return AppWriteProfileString(setup->section, setup->key, text.c_str());
}

BOOL SetListBoxExtent(QListWidget* box, const QFont* font) {
  if (!box || !font) return FALSE;
  const QFontMetrics metrics(*font);
  int widest = 0;
  int itemHeight = 0;
  for (int i = 0; i < box->count(); ++i) {
    widest = std::max(widest, metrics.horizontalAdvance(box->item(i)->text()));
    itemHeight = std::max(itemHeight, box->sizeHintForRow(i));
  }
  if (itemHeight <= 0) itemHeight = metrics.height();
  const int extent = widest + itemHeight;
  for (int i = 0; i < box->count(); ++i) box->item(i)->setSizeHint(QSize(extent, box->sizeHintForRow(i)));
  return TRUE;
}
