#include "platform/QtTranslations.h"

#include "platform/LanguageLibrary.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <memory>

namespace tallix {
namespace {

struct LanguageName {
  unsigned id;  // a whole identifier, or a primary language alone
  const char* name;
};

// Whole identifiers first: the languages whose catalogues differ by region.
constexpr LanguageName kLanguages[] = {
    {0x0404, "zh_TW"}, {0x0804, "zh_CN"}, {0x0416, "pt_BR"}, {0x0816, "pt_PT"},
    {0x01, "ar"}, {0x02, "bg"}, {0x03, "ca"}, {0x04, "zh_CN"}, {0x05, "cs"}, {0x06, "da"},
    {0x07, "de"}, {0x08, "el"}, {0x09, "en"}, {0x0A, "es"}, {0x0B, "fi"}, {0x0C, "fr"},
    {0x0D, "he"}, {0x0E, "hu"}, {0x10, "it"}, {0x11, "ja"}, {0x12, "ko"}, {0x13, "nl"},
    {0x14, "nb"}, {0x15, "pl"}, {0x16, "pt"}, {0x19, "ru"}, {0x1A, "hr"}, {0x1B, "sk"},
    {0x1D, "sv"}, {0x1F, "tr"}, {0x22, "uk"}, {0x24, "sl"}, {0x26, "lv"}, {0x29, "fa"},
};

QPointer<QTranslator>& installed() {
  static QPointer<QTranslator> translator;
  return translator;
}

// Texts of Qt's dialogs that Qt's catalogue of a language lacks: the one
// Debian ships for French predates the print dialog's double-sided choice
// and the file dialog's type names of what is not a file.
struct MissingText {
  QLocale::Language language;
  const char* context;
  const char* source;
  const char* translation;  // UTF-8
};

constexpr MissingText kMissingTexts[] = {
    {QLocale::French, "QPrintSettingsOutput", "Double Sided Printing", "Impression recto-verso"},
    {QLocale::French, "QPrintSettingsOutput", "Off", "Désactivée"},
    {QLocale::French, "QPrintSettingsOutput", "Long side binding", "Reliure côté long"},
    {QLocale::French, "QPrintSettingsOutput", "Short side binding", "Reliure côté court"},
    {QLocale::French, "QAbstractFileIconProvider", "Folder", "Dossier"},
    {QLocale::French, "QAbstractFileIconProvider", "Drive", "Disque"},
    {QLocale::French, "QAbstractFileIconProvider", "Shortcut", "Raccourci"},
    {QLocale::French, "QAbstractFileIconProvider", "Unknown", "Inconnu"},
};

// The program's own translations of those texts, asked after Qt's
// catalogue, so that a catalogue holding them wins.
class MissingTextsTranslator : public QTranslator {
 public:
  explicit MissingTextsTranslator(QLocale::Language language) : language_(language) {}

  QString translate(const char* context, const char* source, const char*, int) const override {
    if (!context || !source) return QString();
    for (const MissingText& text : kMissingTexts)
      if (text.language == language_ && qstrcmp(context, text.context) == 0 && qstrcmp(source, text.source) == 0)
        return QString::fromUtf8(text.translation);
    return QString();
  }
  bool isEmpty() const override { return false; }

 private:
  QLocale::Language language_;
};

QPointer<QTranslator>& installedMissingTexts() {
  static QPointer<QTranslator> translator;
  return translator;
}

bool loadCatalogue(QTranslator& translator, const QLocale& locale) {
  return locale != QLocale::c() &&
         translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace

QLocale localeOfLanguageId(unsigned languageId) {
  for (const LanguageName& l : kLanguages)
    if (l.id == languageId) return QLocale(QLatin1String(l.name));
  for (const LanguageName& l : kLanguages)
    if (l.id == (languageId & 0x3FF)) return QLocale(QLatin1String(l.name));
  return QLocale::c();
}

bool installQtTranslations() {
  if (!QCoreApplication::instance()) return false;
  for (QPointer<QTranslator>* slot : {&installed(), &installedMissingTexts()})
    if (QTranslator* previous = *slot) {
      QCoreApplication::removeTranslator(previous);
      delete previous;
    }
  auto translator = std::make_unique<QTranslator>();
  bool numeric = false;
  const unsigned declared = CLanguageLibrary::VersionValue(QStringLiteral("Language")).toUInt(&numeric);
  QLocale locale = numeric ? localeOfLanguageId(declared) : QLocale::c();
  if (!loadCatalogue(*translator, locale)) {
    locale = QLocale();
    if (!loadCatalogue(*translator, locale)) return false;
  }
  // The translator installed last is asked first.
  auto missing = std::make_unique<MissingTextsTranslator>(locale.language());
  missing->setParent(QCoreApplication::instance());
  QCoreApplication::installTranslator(missing.get());
  installedMissingTexts() = missing.release();
  translator->setParent(QCoreApplication::instance());
  QCoreApplication::installTranslator(translator.get());
  installed() = translator.release();
  return true;
}

}  // namespace tallix
