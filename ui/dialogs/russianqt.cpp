#include "russianqt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace {

// Qt's Russian translations, but for the names of font weights and styles.
// Qt names the style of a given font with those words, while the styles it
// lists for a face come from the font files untranslated; a translated name
// matches none of them, and the font dialog would open on a bold or italic
// font with the regular style selected and lose the bold or italic on OK.
class QtTranslations : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override {
        if (std::strcmp(context, "QFontDatabase") == 0 && isStyleWord(sourceText))
            return {};
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }

private:
    static bool isStyleWord(const char *text) {
        for (const char *word : {"Thin", "Extra Light", "Light", "Normal", "Medium", "Demi Bold",
                                 "Bold", "Extra Bold", "Black", "Italic", "Oblique"}) {
            if (std::strcmp(text, word) == 0)
                return true;
        }
        return false;
    }
};

} // namespace

bool useRussianForQt() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto *translations = new QtTranslations(QCoreApplication::instance());
    if (!translations->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translations;
        return false;
    }
    return QCoreApplication::installTranslator(translations);
}
