#include "xliffexchange.h"

#include "textcodecheck.h"

#include <QHash>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace quillet {

namespace {

const QString Namespace = QStringLiteral("urn:oasis:names:tc:xliff:document:1.2");

QString stateOf(TranslationState state)
{
    switch (state) {
    case TranslationState::Translated:
        return QStringLiteral("translated");
    case TranslationState::CodesDiffer:
        return QStringLiteral("needs-review-translation");
    case TranslationState::Extra:
        return QStringLiteral("final");
    case TranslationState::Untranslated:
    case TranslationState::Missing:
        break;
    }
    return QStringLiteral("needs-translation");
}

// A segment's text with its codes as placeholders. The n-th "~r~" of a target takes the id
// of the n-th "~r~" of its source, so that a tool sees them as the same placeholder.
class Placeholders
{
public:
    void write(QXmlStreamWriter &xml, const QString &text, bool isSource)
    {
        QHash<QString, int> seen;
        qsizetype from = 0;
        for (const TextCode &code : textCodesOf(text)) {
            xml.writeCharacters(text.sliced(from, code.position - from));
            const int occurrence = seen[code.text]++;
            QList<int> &ids = m_ids[code.text];
            int id = 0;
            if (isSource || occurrence >= ids.size()) {
                id = ++m_last;
                if (isSource)
                    ids.append(id);
            } else {
                id = ids[occurrence];
            }
            xml.writeStartElement(QStringLiteral("ph"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(id));
            xml.writeCharacters(code.text);
            xml.writeEndElement();
            from = code.position + code.length;
        }
        xml.writeCharacters(text.sliced(from));
    }

private:
    QHash<QString, QList<int>> m_ids;
    int m_last = 0;
};

} // namespace

Result writeXliff(const std::vector<TranslationUnit> &units, QByteArray &out)
{
    out.clear();
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(Namespace);
    xml.writeStartElement(QStringLiteral("xliff"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeStartElement(QStringLiteral("file"));
    xml.writeAttribute(QStringLiteral("original"), QStringLiteral("gxt"));
    xml.writeAttribute(QStringLiteral("source-language"), QStringLiteral("en"));
    xml.writeAttribute(QStringLiteral("datatype"), QStringLiteral("plaintext"));
    xml.writeStartElement(QStringLiteral("body"));
    for (const TranslationUnit &unit : units) {
        xml.writeStartElement(QStringLiteral("trans-unit"));
        xml.writeAttribute(QStringLiteral("id"), unit.context);
        // A text's spaces are part of it; indentation must not be added to them.
        xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        Placeholders placeholders;
        // Auto-formatting would put line breaks between a text and its placeholders; the
        // unit's own lines are indented by hand, one step deeper than the unit.
        xml.setAutoFormatting(false);
        xml.writeCharacters(QStringLiteral("\n    "));
        xml.writeStartElement(QStringLiteral("source"));
        placeholders.write(xml, unit.source, true);
        xml.writeEndElement();
        xml.writeCharacters(QStringLiteral("\n    "));
        xml.writeStartElement(QStringLiteral("target"));
        xml.writeAttribute(QStringLiteral("state"), stateOf(unit.state));
        placeholders.write(xml, unit.target, false);
        xml.writeEndElement();
        for (const QString &note : unit.notes) {
            xml.writeCharacters(QStringLiteral("\n    "));
            xml.writeTextElement(QStringLiteral("note"), note);
        }
        xml.writeCharacters(QStringLiteral("\n   "));
        xml.writeEndElement();
        xml.setAutoFormatting(true);
    }
    xml.writeEndDocument();
    if (xml.hasError())
        return Result::failure(QStringLiteral("the XLIFF file could not be written"));
    return {};
}

Result readXliff(const QByteArray &bytes, const QString &fileName, std::vector<TranslatedText> &out)
{
    out.clear();
    QXmlStreamReader xml(bytes);
    std::vector<TranslatedText> texts;
    auto failAt = [&](qint64 line, const QString &reason) {
        return Result::failure(QStringLiteral("%1: line %2: %3").arg(fileName).arg(line).arg(reason));
    };
    bool sawRoot = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (!sawRoot) {
            if (xml.name() != u"xliff")
                return failAt(xml.lineNumber(), QStringLiteral("the file is not XLIFF: it starts with <%1>").arg(xml.name()));
            sawRoot = true;
            continue;
        }
        if (xml.name() != u"trans-unit")
            continue;
        TranslatedText text;
        text.line = int(xml.lineNumber());
        text.context = xml.attributes().value(QStringLiteral("id")).toString();
        if (text.context.isEmpty())
            return failAt(xml.lineNumber(), QStringLiteral("a <trans-unit> has no id, which names its entry"));
        // The unit's own <target>: every text in it, placeholders' codes included; the targets
        // of alternatives (<alt-trans>) and anything else are not the translation.
        bool hadTarget = false;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"target" || hadTarget) {
                xml.skipCurrentElement();
                continue;
            }
            hadTarget = true;
            int depth = 1;
            while (depth > 0 && !xml.atEnd()) {
                switch (xml.readNext()) {
                case QXmlStreamReader::StartElement:
                    ++depth;
                    break;
                case QXmlStreamReader::EndElement:
                    --depth;
                    break;
                case QXmlStreamReader::Characters:
                    text.target += xml.text();
                    break;
                default:
                    break;
                }
            }
        }
        if (xml.hasError())
            break;
        texts.push_back(std::move(text));
    }
    if (xml.hasError())
        return failAt(xml.lineNumber(), xml.errorString());
    if (!sawRoot)
        return failAt(xml.lineNumber(), QStringLiteral("the file holds no XLIFF"));
    out = std::move(texts);
    return {};
}

} // namespace quillet
