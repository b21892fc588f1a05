#include "savechanges.h"

#include "io/nativename.h"
#include "messagebox.h"
#include "objectnames.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace savechanges {

Answer ask(QWidget *parent, const QString &file, const QString &directory, const QString &reason) {
    const QString document =
        file.isEmpty() ? QStringLiteral("новом документе")
                       : QStringLiteral("«%1»").arg(nativename::displayed(file.section(u'/', -1)));
    QMessageBox box(QMessageBox::Warning, applicationTitle(),
                    QStringLiteral("Сохранить изменения в %1?").arg(document),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QLatin1String(objectnames::saveChangesQuestion));
    // Names and system messages may hold '<' or '&': never take them for
    // markup. The informative text's label takes no format from the box.
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(QStringLiteral("Копия для восстановления не записана в папку %1:\n%2\n"
                                          "Если не сохранить, изменения пропадут.")
                               .arg(nativename::displayed(directory), reason));
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    QPushButton *save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
    QPushButton *discard =
        box.addButton(QStringLiteral("Не сохранять"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    save->setObjectName(QStringLiteral("cmdSave"));
    discard->setObjectName(QStringLiteral("cmdDiscard"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return Answer::Save;
    if (box.clickedButton() == discard)
        return Answer::Discard;
    return Answer::Cancel;
}

} // namespace savechanges
