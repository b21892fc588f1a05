#pragma once

#include <QStringView>
#include <optional>

// An offset as the user types it: decimal ("496") or hex with a prefix or a
// suffix ("0x1F0", "1F0h"), digits of either case, blanks around it
// ignored. Nothing when the text is neither. A number past what a qint64
// holds reads as the largest one: it is past the end of any document.
std::optional<qint64> parseOffset(QStringView text);
