#include "io/consoleio.h"

#include <QStringDecoder>

#include <windows.h>

#include <shellapi.h>

namespace consoleio {
namespace {

// A standard handle: text to a console, bytes to anything else.
class StandardHandle : public QIODevice {
public:
    explicit StandardHandle(DWORD which) : handle(GetStdHandle(which)) {
        DWORD mode = 0;
        console =
            handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }

    qint64 writeData(const char *data, qint64 size) override {
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
            return size; // no stream: written nowhere, as to a closed one
        if (console)
            return writeConsole(data, size) ? size : -1;
        for (qint64 done = 0; done < size;) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<qint64>(size - done, 1 << 30));
            if (!WriteFile(handle, data + done, chunk, &written, nullptr) || written == 0)
                return done > 0 ? done : -1;
            done += written;
        }
        return size;
    }

private:
    // A character split between two writes is decoded whole with the second.
    bool writeConsole(const char *data, qint64 size) {
        const QString text = decoder.decode(QByteArrayView(data, size));
        const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
        for (qsizetype done = 0; done < text.size();) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<qsizetype>(text.size() - done, 16384));
            if (!WriteConsoleW(handle, units + done, chunk, &written, nullptr) || written == 0)
                return false;
            done += written;
        }
        return true;
    }

    HANDLE handle;
    bool console = false;
    QStringDecoder decoder{QStringDecoder::Utf8};
};

} // namespace

QStringList arguments(int, char *[]) {
    // argv holds the names in the ANSI code page, which loses every
    // character outside it; the wide command line has them all.
    QStringList list;
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return list;
    for (int i = 0; i < count; ++i)
        list << QString::fromWCharArray(wide[i]);
    LocalFree(wide);
    return list;
}

std::unique_ptr<QIODevice> open(Stream stream) {
    return std::make_unique<StandardHandle>(stream == Stream::Output ? STD_OUTPUT_HANDLE
                                                                     : STD_ERROR_HANDLE);
}

} // namespace consoleio
