#include "commandline.h"

#include "clicheprinter.h"
#include "diffprinter.h"
#include "io/document.h"
#include "kktview_version.h"
#include "printedname.h"
#include "sumprinter.h"
#include "viewprinter.h"

#include <QFile>
#include <QIODevice>

#include <functional>

namespace {

const QString programName = QStringLiteral("kktview");

bool write(QIODevice &device, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    return device.write(utf8) == utf8.size();
}

// One line on standard error, named after the program like other tools do.
void complain(QIODevice &err, const QString &text) {
    write(err, programName + QStringLiteral(": ") + text + u'\n');
}

int usageError(QIODevice &err, const QString &text) {
    complain(err, text);
    write(err, QStringLiteral("Справка: %1 --help\n").arg(programName));
    return 2;
}

// An answer on standard output; a full disk or a closed pipe is an error.
int answer(QIODevice &out, QIODevice &err, const QString &text) {
    if (write(out, text))
        return 0;
    complain(err, QStringLiteral("не удалось записать вывод: %1").arg(out.errorString()));
    return 1;
}

enum class FileOutcome { Fine, Failed, OutputLost };

// Nothing more can reach the reader.
FileOutcome outputLost(QIODevice &err, const QString &error) {
    complain(err, QStringLiteral("не удалось записать вывод: %1").arg(error));
    return FileOutcome::OutputLost;
}

// Hands each file named after option to handle, opened; one that cannot be
// opened is told on err and the rest go on. The status: 2 when no file is
// named, 1 when one failed or at once when the output is lost, else 0.
int forEachFile(const QStringList &files, const QString &option, QIODevice &err,
                const std::function<FileOutcome(const QString &path, QFile &file)> &handle) {
    if (files.isEmpty()) {
        complain(err, QStringLiteral("не указан файл для %1.").arg(option));
        return 2;
    }
    int status = 0;
    for (const QString &path : files) {
        QFile file;
        if (const auto refused = document::openForReading(path, file)) {
            complain(err, shownName(path) + QStringLiteral(": ") + *refused);
            status = 1;
            continue;
        }
        switch (handle(path, file)) {
        case FileOutcome::Fine:
            break;
        case FileOutcome::Failed:
            status = 1;
            break;
        case FileOutcome::OutputLost:
            return 1;
        }
    }
    return status;
}

QString longestName(const QCommandLineOption &option) {
    QString name;
    for (const QString &candidate : option.names()) {
        if (candidate.size() > name.size())
            name = candidate;
    }
    return (name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + name;
}

} // namespace

CommandLine::CommandLine(const QStringList &arguments)
    : helpOption({QStringLiteral("h"), QStringLiteral("help")},
                 QStringLiteral("Показать эту справку и выйти.")),
      versionOption({QStringLiteral("V"), QStringLiteral("v"), QStringLiteral("version")},
                    QStringLiteral("Показать версию программы и выйти.")),
      printOption({QStringLiteral("p"), QStringLiteral("print")},
                  QStringLiteral("Вывести ВИД каждого файла в стандартный вывод в UTF-8, не "
                                 "открывая окна; виды перечислены ниже. Перед видом каждого из "
                                 "нескольких файлов стоит строка «==> имя <==»."),
                  QStringLiteral("ВИД")),
      checkOption({QStringLiteral("c"), QStringLiteral("check")},
                  QStringLiteral("Проверить клише в каждом файле для модели ККМ и вывести "
                                 "замечания по одному в строке: «файл:строка:позиция: "
                                 "замечание». МОДЕЛЬ — имя из --models (в кавычках, если в нём "
                                 "пробел) или другая ККМ как ГРУППА:ЗНАКОВ[:СТРОК], например "
                                 "866:32 или 1251:24:6."),
                  QStringLiteral("МОДЕЛЬ")),
      modelsOption(QStringLiteral("models"),
                   QStringLiteral("Перечислить модели ККМ для --check, по одной в строке.")),
      sumOption(QStringLiteral("sum"),
                QStringLiteral("Вывести контрольные суммы каждого файла, по одной в строке: "
                               "«АЛГОРИТМ (файл) = значение» в шестнадцатеричном виде, как "
                               "md5sum --tag; алгоритмы: CRC-16/CCITT-FALSE, CRC-16/MODBUS, "
                               "CRC-16/XMODEM, CRC-32, CRC-32C, SUM-8, XOR-8, MD5, SHA1, "
                               "SHA256. Строки MD5, SHA1 и SHA256 проверяют md5sum -c, sha1sum -c "
                               "и sha256sum -c.")),
      diffOption(QStringLiteral("diff"),
                 QStringLiteral("Сравнить два файла побайтно, как cmp, и вывести каждый участок "
                                "различий строкой «СМЕЩЕНИЕ БАЙТЫ1 БАЙТЫ2»: смещение и байты "
                                "обоих файлов в шестнадцатеричном виде; участок длиннее 16 "
                                "байт продолжается следующей строкой со своим смещением. Если "
                                "длины разные, файлы сравниваются по длине более короткого, и "
                                "последняя строка «ДЛИНА EOF файл» называет более короткий и "
                                "его длину.")) {
    parser.setApplicationDescription(
        QStringLiteral("Просмотр бинарных файлов ККТ: шестнадцатеричный дамп, текст в кодировках "
                       "866 и 1251, названия управляющих символов, листинги кодов клише.\n"
                       "Без параметров открывает окно программы, а в нём файл, если он указан."));
    declare(helpOption);
    declare(versionOption);
    declare(printOption);
    declare(checkOption);
    declare(modelsOption);
    declare(sumOption);
    declare(diffOption);
    parser.addPositionalArgument(
        QStringLiteral("файл"),
        QStringLiteral("Файл для окна или файлы для --print, --check, --sum и --diff. Имя, которое "
                       "начинается с «-», пишется после «--»: kktview -- -файл."),
        QStringLiteral("[файл…]"));
    parsed = parser.parse(arguments);
}

void CommandLine::declare(const QCommandLineOption &option) {
    parser.addOption(option);
    declared << option;
}

QStringList CommandLine::declaredOptionNames() const {
    QStringList names;
    for (const QCommandLineOption &option : declared)
        names += option.names();
    return names;
}

QString CommandLine::misuse() const {
    const QStringList given = parser.optionNames();
    for (const QCommandLineOption &option : declared) {
        qsizetype times = 0;
        for (const QString &name : option.names())
            times += given.count(name);
        if (times > 1)
            return QStringLiteral("параметр %1 указан дважды.").arg(longestName(option));
    }
    // Each of these is a run of its own.
    QStringList tasks;
    for (const QCommandLineOption *task : {&printOption, &checkOption, &sumOption, &diffOption}) {
        if (parser.isSet(*task))
            tasks << longestName(*task);
    }
    if (tasks.size() > 1)
        return QStringLiteral("%1 и %2 не указываются вместе: это отдельные запуски.")
            .arg(tasks.at(0), tasks.at(1));
    return {};
}

bool CommandLine::opensWindow() const {
    return parsed && parser.optionNames().isEmpty() && parser.positionalArguments().size() <= 1;
}

QString CommandLine::fileToOpen() const {
    return opensWindow() ? parser.positionalArguments().value(0) : QString();
}

QString CommandLine::helpText() const {
    QString text = parser.helpText() + QStringLiteral("\nВиды для --print:\n");
    for (const QString &name : viewprinter::viewNames()) {
        text += QStringLiteral("  %1  %2\n").arg(name, -11).arg(viewprinter::viewDescription(name));
    }
    return text +
           QStringLiteral("\nКод выхода: 0 — всё сделано; 1 — какой-то файл не прочитан, вывод\n"
                          "не записан или --check нашёл замечания; 2 — ошибка в командной "
                          "строке.\n"
                          "У --diff, как у cmp: 0 — файлы равны; 1 — различаются (или их "
                          "длины);\n2 — файл не прочитан, вывод не записан или ошибка в "
                          "командной строке.\n");
}

int CommandLine::runWithoutWindow(QIODevice &out, QIODevice &err) const {
    if (!parsed)
        return usageError(err, parser.errorText());
    if (const QString wrong = misuse(); !wrong.isEmpty())
        return usageError(err, wrong);
    if (parser.isSet(helpOption))
        return answer(out, err, helpText());
    if (parser.isSet(versionOption))
        return answer(out, err, programName + u' ' + QStringLiteral(KKTVIEW_VERSION) + u'\n');
    if (parser.isSet(printOption))
        return printViews(out, err);
    if (parser.isSet(checkOption))
        return checkFiles(out, err);
    const auto complainToErr = [&err](const QString &text) { complain(err, text); };
    if (parser.isSet(sumOption))
        return sumprinter::print(parser.positionalArguments(), out, complainToErr);
    if (parser.isSet(diffOption))
        return diffprinter::print(parser.positionalArguments(), out, complainToErr);
    if (parser.isSet(modelsOption))
        return answer(out, err, clicheprinter::modelNames().join(u'\n') + u'\n');
    complain(err, QStringLiteral("окно открывает один файл, а указано %1; вид нескольких файлов "
                                 "выводит --print.")
                      .arg(parser.positionalArguments().size()));
    return 2;
}

int CommandLine::printViews(QIODevice &out, QIODevice &err) const {
    const QString viewName = parser.value(printOption);
    const viewprinter::View view = viewprinter::viewNamed(viewName);
    if (!view) {
        complain(err, QStringLiteral("нет вида «%1»; виды: %2.")
                          .arg(viewName, viewprinter::viewNames().join(QStringLiteral(", "))));
        return 2;
    }
    const bool headed = parser.positionalArguments().size() > 1;
    const auto printOne = [&](const QString &path, QFile &file) {
        if (headed && !write(out, QStringLiteral("==> %1 <==\n").arg(shownName(path))))
            return outputLost(err, out.errorString());
        const viewprinter::Result result = viewprinter::print(view, file, out);
        switch (result.status) {
        case viewprinter::Result::Status::Printed:
            break;
        case viewprinter::Result::Status::ReadFailed:
            complain(err, shownName(path) + QStringLiteral(": ") + result.error);
            // The next header starts a line of its own.
            write(out, QStringLiteral("\n"));
            return FileOutcome::Failed;
        case viewprinter::Result::Status::WriteFailed:
            return outputLost(err, result.error);
        }
        return FileOutcome::Fine;
    };
    return forEachFile(parser.positionalArguments(), QStringLiteral("--print"), err, printOne);
}

int CommandLine::checkFiles(QIODevice &out, QIODevice &err) const {
    const QString modelName = parser.value(checkOption);
    const std::optional<cliche::RegisterModel> model = clicheprinter::modelNamed(modelName);
    if (!model) {
        complain(
            err,
            QStringLiteral("нет модели «%1»; модели: %2 --models.").arg(modelName, programName));
        return 2;
    }
    const auto checkOne = [&](const QString &path, QFile &file) {
        const clicheprinter::Result result =
            clicheprinter::printFindings(shownName(path), file, *model, out);
        switch (result.status) {
        case clicheprinter::Result::Status::Checked:
            break;
        case clicheprinter::Result::Status::ReadFailed:
            complain(err, shownName(path) + QStringLiteral(": ") + result.error);
            return FileOutcome::Failed;
        case clicheprinter::Result::Status::WriteFailed:
            return outputLost(err, result.error);
        }
        return result.findings > 0 ? FileOutcome::Failed : FileOutcome::Fine;
    };
    return forEachFile(parser.positionalArguments(), QStringLiteral("--check"), err, checkOne);
}
