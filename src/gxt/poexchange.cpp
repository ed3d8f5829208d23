#include "poexchange.h"

#include <QByteArrayList>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gettext-po.h>

#include <csetjmp>
#include <cstdlib>
#include <memory>

// libgettextpo (0.21, Debian 12) keeps a message's msgctxt and a parsed message's comments
// when the file is freed: its own allocations, which no call of ours can free. The leak
// checker of the sanitizer builds is told to leave them alone, and only them.
extern "C" __attribute__((visibility("default"), used)) const char *__lsan_default_suppressions()
{
    return "leak:libgettextpo.so\n";
}
// Quietly: the tool's standard error is part of what its tests read.
extern "C" __attribute__((visibility("default"), used)) const char *__lsan_default_options()
{
    return "print_suppressions=0";
}

namespace quillet {

namespace {

// libgettextpo reports through callbacks and reads and writes named files only; this is what
// the callbacks leave for the caller, one read or write at a time (the library keeps global
// state of its own, so it is never used from two threads at once anyway).
struct PoErrors {
    bool failed = false;
    QString reason;
    qsizetype line = 0;
    std::jmp_buf fatal;
};
PoErrors *currentErrors = nullptr;

void noteError(int severity, const char *filename, size_t lineno, const char *text)
{
    PoErrors &errors = *currentErrors;
    if (severity == PO_SEVERITY_WARNING || errors.failed)
        return;
    errors.failed = true;
    errors.reason = QString::fromUtf8(text ? text : "the file is not a PO file").trimmed();
    errors.line = filename && lineno != size_t(-1) ? qsizetype(lineno) : 0;
}

void onError(int severity, po_message_t, const char *filename, size_t lineno, size_t, int, const char *text)
{
    noteError(severity, filename, lineno, text);
    // The library does not expect a fatal error's handler to return.
    if (severity == PO_SEVERITY_FATAL_ERROR)
        std::longjmp(currentErrors->fatal, 1);
}

void onError2(int severity, po_message_t, const char *filename1, size_t lineno1, size_t, int, const char *text1,
              po_message_t, const char *, size_t, size_t, int, const char *)
{
    noteError(severity, filename1, lineno1, text1);
    if (severity == PO_SEVERITY_FATAL_ERROR)
        std::longjmp(currentErrors->fatal, 1);
}

const struct po_xerror_handler Handler = {onError, onError2};

// The library's calls, returned from by a fatal error's handler too. Nothing of ours lives
// in these frames, so the jump skips no destructor.
po_file_t guardedRead(const char *path)
{
    if (setjmp(currentErrors->fatal) != 0)
        return nullptr;
    return po_file_read(path, &Handler);
}

void guardedWrite(po_file_t file, const char *path)
{
    if (setjmp(currentErrors->fatal) != 0)
        return;
    po_file_write(file, path, &Handler);
}

struct FileFree {
    void operator()(po_file_t file) const { po_file_free(file); }
};
using PoFile = std::unique_ptr<std::remove_pointer_t<po_file_t>, FileFree>;
struct IteratorFree {
    void operator()(po_message_iterator_t it) const { po_message_iterator_free(it); }
};
using PoIterator = std::unique_ptr<std::remove_pointer_t<po_message_iterator_t>, IteratorFree>;

const char *const Header = "Project-Id-Version: Quillet\n"
                           "Report-Msgid-Bugs-To: \n"
                           "PO-Revision-Date: 2000-01-01 00:00+0000\n"
                           "Last-Translator: none\n"
                           "Language-Team: none\n"
                           "Language: \n"
                           "MIME-Version: 1.0\n"
                           "Content-Type: text/plain; charset=UTF-8\n"
                           "Content-Transfer-Encoding: 8bit\n"
                           "X-Generator: Quillet\n";

// The line each message starts on, in the order the library gives the messages: its
// msgctxt line where it has one, else its msgid line. Obsolete messages ("#~") count too,
// since the library lists them.
std::vector<qsizetype> messageLines(const QByteArray &bytes)
{
    std::vector<qsizetype> lines;
    qsizetype context = 0;
    qsizetype number = 0;
    for (const QByteArray &raw : bytes.split('\n')) {
        ++number;
        QByteArrayView line = QByteArrayView(raw).trimmed();
        if (line.startsWith("#~"))
            line = line.sliced(2).trimmed();
        if (line.startsWith("msgctxt")) {
            context = number;
        } else if (line.startsWith("msgid") && !line.startsWith("msgid_plural")) {
            lines.push_back(context ? context : number);
            context = 0;
        }
    }
    return lines;
}

std::optional<QString> fromUtf8(const char *text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString out = decoder.decode(QByteArrayView(text));
    if (decoder.hasError())
        return std::nullopt;
    return out;
}

} // namespace

Result writePo(const std::vector<TranslationUnit> &units, bool isTemplate, QByteArray &out)
{
    out.clear();
    PoFile file(po_file_create());
    if (!file)
        return Result::failure(QStringLiteral("there is not enough memory to write a PO file"));
    PoIterator it(po_message_iterator(file.get(), nullptr));
    auto add = [&](const QByteArray *context, const QByteArray &id, const QByteArray &text, const QByteArray &comments) {
        po_message_t message = po_message_create();
        if (context)
            po_message_set_msgctxt(message, context->constData());
        po_message_set_msgid(message, id.constData());
        po_message_set_msgstr(message, text.constData());
        if (!comments.isEmpty())
            po_message_set_extracted_comments(message, comments.constData());
        po_message_insert(it.get(), message);
    };
    add(nullptr, QByteArray(), QByteArray(Header), QByteArray());
    for (const TranslationUnit &unit : units) {
        QByteArray comments;
        for (const QString &note : unit.notes)
            comments += note.toUtf8() + '\n';
        const QByteArray context = unit.context.toUtf8();
        add(&context, unit.source.toUtf8(), isTemplate ? QByteArray() : unit.target.toUtf8(), comments);
    }
    it.reset();

    QTemporaryDir dir;
    if (!dir.isValid())
        return Result::failure(QStringLiteral("no temporary folder to write the PO file in: %1").arg(dir.errorString()));
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("out.po")));
    PoErrors errors;
    currentErrors = &errors;
    guardedWrite(file.get(), path.constData());
    currentErrors = nullptr;
    if (errors.failed)
        return Result::failure(QStringLiteral("the PO file could not be written: %1").arg(errors.reason));
    QFile written(QFile::decodeName(path));
    if (!written.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("the PO file could not be written: %1").arg(written.errorString()));
    out = written.readAll();
    return {};
}

Result readPo(const QByteArray &bytes, const QString &fileName, std::vector<TranslatedText> &out)
{
    out.clear();
    auto failAt = [&](qsizetype line, const QString &reason) {
        return Result::failure(line > 0 ? QStringLiteral("%1: line %2: %3").arg(fileName).arg(line).arg(reason)
                                        : QStringLiteral("%1: %2").arg(fileName, reason));
    };
    // The library reads named files only: the bytes go to a file of our own first.
    QTemporaryDir dir;
    if (!dir.isValid())
        return failAt(0, QStringLiteral("no temporary folder to read the PO file from: %1").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("in.po"));
    {
        QFile copy(path);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.flush())
            return failAt(0, QStringLiteral("the PO file could not be copied to be read: %1").arg(copy.errorString()));
    }
    PoErrors errors;
    currentErrors = &errors;
    PoFile file(guardedRead(QFile::encodeName(path).constData()));
    currentErrors = nullptr;
    if (errors.failed)
        return failAt(errors.line, errors.reason);
    if (!file)
        return failAt(0, QStringLiteral("the file is not a PO file"));

    const std::vector<qsizetype> lines = messageLines(bytes);
    size_t index = 0;
    std::vector<TranslatedText> texts;
    for (const char *const *domain = po_file_domains(file.get()); domain && *domain; ++domain) {
        PoIterator it(po_message_iterator(file.get(), *domain));
        while (po_message_t message = po_next_message(it.get())) {
            const qsizetype line = index < lines.size() ? lines[index] : 0;
            ++index;
            const char *context = po_message_msgctxt(message);
            const char *id = po_message_msgid(message);
            if (!context && id && !*id) {
                // The header: what it declares the texts to be in must be what we read.
                const char *header = po_message_msgstr(message);
                std::unique_ptr<char, decltype(&std::free)> charset(po_header_field(header ? header : "", "Content-Type"),
                                                                    &std::free);
                const QString type = QString::fromLatin1(charset ? charset.get() : "").toLower();
                const qsizetype at = type.indexOf(QLatin1String("charset="));
                const QString name = at < 0 ? QString() : type.sliced(at + 8).trimmed();
                if (!name.isEmpty() && name != u"utf-8" && name != u"ascii" && name != u"us-ascii" && name != u"charset")
                    return failAt(line, QStringLiteral("the file is in %1; Quillet reads PO files in UTF-8").arg(name));
                continue;
            }
            if (po_message_is_obsolete(message))
                continue;
            if (po_message_msgid_plural(message))
                return failAt(line, QStringLiteral("the message has plural forms, which no GXT text has"));
            if (!context)
                return failAt(line, QStringLiteral("the message has no msgctxt, which names its entry"));
            // As msgfmt does, a translation still marked fuzzy is not taken.
            const char *target = po_message_is_fuzzy(message) ? "" : po_message_msgstr(message);
            const std::optional<QString> contextText = fromUtf8(context);
            const std::optional<QString> targetText = fromUtf8(target ? target : "");
            if (!contextText || !targetText)
                return failAt(line, QStringLiteral("the message is not valid UTF-8"));
            texts.push_back(TranslatedText{*contextText, *targetText, int(line)});
        }
    }
    out = std::move(texts);
    return {};
}

} // namespace quillet
