#include "filedialog.h"

#include "bytenameproxy.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QTreeView>
#include <iterator>

namespace {

enum Column { Name, Size, Type, Modified };

QString russianSize(qint64 bytes) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (bytes < 1024)
        return QStringLiteral("%1 байт").arg(bytes);
    const char *const units[] = {"КБ", "МБ", "ГБ", "ТБ"};
    double size = bytes / 1024.0;
    int unit = 0;
    while (size >= 1024 && unit + 1 < int(std::size(units))) {
        size /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(russian.toString(size, 'f', 1),
                                       QString::fromUtf8(units[unit]));
}

// The file system model's sizes and dates, which it formats by the
// environment's locale ("1.00 MiB", "8 Dec 2026 17:57:11" where none is
// set), written the Russian way instead; the files whose names are not
// UTF-8 among the rest.
class RussianColumns : public ByteNameProxy {
public:
    using ByteNameProxy::ByteNameProxy;

    QVariant data(const QModelIndex &index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return ByteNameProxy::data(index, role);
        switch (index.column()) {
        case Size:
            if (const std::optional<qint64> size = fileSize(index))
                return russianSize(*size);
            break;
        case Modified:
            return QLocale(QLocale::Russian, QLocale::Russia)
                .toString(lastModified(index), QLocale::ShortFormat);
        default:
            break;
        }
        return ByteNameProxy::data(index, role);
    }
};

} // namespace

void prepareFileDialog(QFileDialog &dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new RussianColumns(&dialog));

    const QFontMetrics metrics = dialog.fontMetrics();
    // Room for a text and the gap around it.
    const auto room = [&](const QString &widest) {
        return metrics.horizontalAdvance(widest) + 4 * metrics.averageCharWidth();
    };
    int columns = 0;
    if (auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        const QString widest[] = {
            QStringLiteral("Клише_АМС-100Ф_магазин_№12.bin"),
            russianSize(1023 * 1024 * 1024),
            QStringLiteral("Текстовый документ"),
            russian.toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)), QLocale::ShortFormat),
        };
        for (int column = Name; column <= Modified; ++column) {
            details->header()->resizeSection(column, room(widest[column]));
            columns += details->header()->sectionSize(column);
        }
    }
    // The places at the left show "Компьютер" whole.
    int places = 0;
    if (auto *splitter = dialog.findChild<QSplitter *>(QStringLiteral("splitter"))) {
        places = room(QStringLiteral("Компьютер")) + 2 * metrics.height();
        const QList<int> sizes = splitter->sizes();
        if (sizes.size() == 2)
            splitter->setSizes({places, qMax(sizes[1], columns)});
    }
    // As much wider as the columns and places need, scroll bar and frames
    // included.
    const int width = places + columns + 6 * metrics.height();
    dialog.resize(dialog.sizeHint().expandedTo(QSize(width, 0)));
}
