#include "bytenamedialog.h"

#include "bytenameproxy.h"
#include "filedialog.h"
#include "io/nativename.h"

#include <QAbstractItemView>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>

ByteNameDialog::ByteNameDialog(QWidget *parent, const QString &caption)
    : QFileDialog(parent, caption) {
    prepareFileDialog(*this);
    nameEdit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    for (const char *name : {"listView", "treeView"}) {
        if (auto *view = findChild<QAbstractItemView *>(QLatin1String(name)))
            views << view;
    }
    // Qt takes a listed file it does not know for a folder: it neither puts
    // its name in the name field nor lets it be opened, and a double click
    // or Enter on it would leave for the list of drives.
    for (QAbstractItemView *view : std::as_const(views)) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    // The views share one selection model.
    if (!views.isEmpty())
        connect(views.first()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &ByteNameDialog::selectionChanged);
}

ByteNameProxy *ByteNameDialog::names() const {
    return qobject_cast<ByteNameProxy *>(proxyModel());
}

void ByteNameDialog::proposeFile(const QString &path) {
    const QString name = path.section(u'/', -1);
    const QByteArray native = nativename::encode(name);
    if (QFile::encodeName(QFile::decodeName(native)) == native) {
        selectFile(path);
        return;
    }
    if (nameEdit)
        nameEdit->setText(nativename::displayed(name));
}

QString ByteNameDialog::listedChoice() const {
    const ByteNameProxy *model = names();
    if (!model || views.isEmpty())
        return {};
    const QModelIndexList selected = views.first()->selectionModel()->selectedRows();
    if (selected.size() == 1 && !model->bytePath(selected.first()).isEmpty())
        return model->bytePath(selected.first());
    if (!selected.isEmpty())
        return {};
    return nameEdit ? model->bytePath(model->rowNamed(nameEdit->text())) : QString();
}

void ByteNameDialog::selectionChanged() {
    const ByteNameProxy *model = names();
    if (!model || views.isEmpty() || !nameEdit)
        return;
    const QModelIndexList selected = views.first()->selectionModel()->selectedRows();
    // Qt fills the name field from a selection only while the user is not
    // typing there.
    if (selected.size() == 1 && !model->bytePath(selected.first()).isEmpty() &&
        !nameEdit->hasFocus())
        nameEdit->setText(selected.first().data().toString());
}

bool ByteNameDialog::eventFilter(QObject *watched, QEvent *event) {
    const ByteNameProxy *model = names();
    if (!model)
        return QFileDialog::eventFilter(watched, event);
    for (QAbstractItemView *view : std::as_const(views)) {
        QModelIndex index;
        if (watched == view && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                index = view->currentIndex();
        } else if (watched == view->viewport() && event->type() == QEvent::MouseButtonDblClick) {
            index = view->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        }
        if (!model->bytePath(index).isEmpty()) {
            view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
            accept();
            return true;
        }
    }
    return QFileDialog::eventFilter(watched, event);
}

void ByteNameDialog::accept() {
    chosen = listedChoice();
    if (!chosen.isEmpty()) {
        QDialog::accept();
        return;
    }
    // A name Qt decoded lossily leads back to a file (or to several, which
    // the caller refuses with a reason) that Qt itself would not find.
    const QStringList files = selectedFiles();
    if (files.size() == 1 && nativename::resolveLossy(files[0]).path != files[0])
        QDialog::accept();
    else
        QFileDialog::accept();
}
