#include "fontchoice.h"

#include "objectnames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>

namespace {

struct NamedColor {
    const char *name;
    QColor color;
};

// The sixteen colours a font dialog's colour list traditionally offers.
const NamedColor namedColors[] = {
    {"Черный", QColor(0, 0, 0)},
    {"Темно-бордовый", QColor(128, 0, 0)},
    {"Зеленый", QColor(0, 128, 0)},
    {"Оливковый", QColor(128, 128, 0)},
    {"Темно-синий", QColor(0, 0, 128)},
    {"Фиолетовый", QColor(128, 0, 128)},
    {"Сине-зеленый", QColor(0, 128, 128)},
    {"Серый", QColor(128, 128, 128)},
    {"Серебристый", QColor(192, 192, 192)},
    {"Красный", QColor(255, 0, 0)},
    {"Лайм", QColor(0, 255, 0)},
    {"Желтый", QColor(255, 255, 0)},
    {"Синий", QColor(0, 0, 255)},
    {"Фуксия", QColor(255, 0, 255)},
    {"Морской волны", QColor(0, 255, 255)},
    {"Белый", QColor(255, 255, 255)},
};

QIcon swatch(const QColor &color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QComboBox *addColorList(QFontDialog &dialog, const QColor &initial) {
    auto *combo = new QComboBox;
    combo->setObjectName(QLatin1String(objectnames::fontColorList));
    for (const NamedColor &entry : namedColors)
        combo->addItem(swatch(entry.color), QString::fromUtf8(entry.name), entry.color);
    int index = combo->findData(initial);
    if (index < 0) {
        combo->addItem(swatch(initial), initial.name(), initial);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);

    // The effects group is the one holding the strikeout and underline boxes.
    for (QGroupBox *group : dialog.findChildren<QGroupBox *>()) {
        if (group->findChildren<QCheckBox *>().isEmpty() || !group->layout())
            continue;
        auto *label = new QLabel(QStringLiteral("Цвет:"), group);
        label->setBuddy(combo);
        group->layout()->addWidget(label);
        group->layout()->addWidget(combo);
        return combo;
    }
    combo->setParent(&dialog);
    combo->hide();
    return combo;
}

} // namespace

QTextCharFormat FontChoice::charFormat() const {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{font.family()});
    if (font.pointSizeF() > 0)
        format.setFontPointSize(font.pointSizeF());
    format.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.italic());
    format.setFontStrikeOut(font.strikeOut());
    format.setFontUnderline(font.underline());
    format.setForeground(color);
    return format;
}

std::optional<FontChoice> chooseFont(QWidget *parent, const FontChoice &initial) {
    QFontDialog dialog(initial.font, parent);
    dialog.setObjectName(QLatin1String(objectnames::fontDialog));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    QComboBox *colorList = addColorList(dialog, initial.color);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{dialog.selectedFont(), colorList->currentData().value<QColor>()};
}
