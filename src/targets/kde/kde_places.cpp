#include "targets/kde/kde_places.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace varnel::desktop {

namespace {

struct Span {
    qint64 from;  // where the whitespace before the element begins
    qint64 to;    // just past the element
};

// Our new bookmarks, written one level inside the root the way KDE indents.
QString bookmarksText(const QList<PlaceEntry>& entries) {
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(1);
    writer.writeStartElement(QStringLiteral("xbel"));
    for (const PlaceEntry& e : entries) {
        writer.writeStartElement(QStringLiteral("bookmark"));
        writer.writeAttribute(QStringLiteral("href"), QString::fromLatin1(QUrl::fromLocalFile(e.path).toEncoded()));
        writer.writeTextElement(QStringLiteral("title"), e.label);
        writer.writeStartElement(QStringLiteral("info"));
        writer.writeStartElement(QStringLiteral("metadata"));
        writer.writeAttribute(QStringLiteral("owner"), QString::fromLatin1(kKdeMetadataOwner));
        writer.writeTextElement(QStringLiteral("group-place"), QStringLiteral("true"));
        writer.writeEndElement();
        writer.writeEndElement();
        writer.writeEndElement();
    }
    writer.writeEndElement();
    const qsizetype open = text.indexOf(QLatin1Char('>')) + 1;
    const qsizetype close = text.lastIndexOf(QLatin1String("\n</xbel>"));
    return text.mid(open, close - open);
}

}  // namespace

QStringList kdePlaceFolders(const QByteArray& content) {
    QStringList folders;
    QXmlStreamReader xml(content);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("bookmark")) continue;
        const QUrl url = QUrl::fromEncoded(xml.attributes().value(QLatin1String("href")).toUtf8());
        if (url.isLocalFile()) folders << url.toLocalFile();
    }
    return folders;
}

std::optional<ListChange> kdePlacesWith(const QByteArray& original, const QList<PlaceEntry>& add) {
    // Offsets are counted in the decoded text; it goes back to UTF-8 unchanged.
    const QString text = QString::fromUtf8(original);
    QXmlStreamReader reader(text);
    QList<Span> ours;
    QList<QString> keptPaths;
    qint64 insertAt = -1;
    qint64 previousEnd = 0;
    qint64 whitespaceFrom = -1;  // start of the whitespace right before the next token
    int depth = 0;
    QString rootName;
    bool rootEmpty = false;  // written as <xbel/>: nothing can go inside it as it stands
    while (!reader.atEnd()) {
        const qint64 tokenStart = previousEnd;
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::Characters && reader.isWhitespace()) {
            if (depth == 1) whitespaceFrom = tokenStart;
            previousEnd = reader.characterOffset();
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1) {
                insertAt = reader.characterOffset();
                rootName = reader.name().toString();
            }
            if (depth == 2) {
                const qint64 from = whitespaceFrom >= 0 ? whitespaceFrom : tokenStart;
                const bool bookmark = reader.name() == QLatin1String("bookmark");
                const QUrl href(reader.attributes().value(QLatin1String("href")).toString());
                bool marked = false;
                for (int inner = 1; inner > 0 && !reader.atEnd();) {
                    const auto t = reader.readNext();
                    if (t == QXmlStreamReader::EndElement) --inner;
                    if (t != QXmlStreamReader::StartElement) continue;
                    ++inner;
                    if (reader.name() == QLatin1String("metadata") &&
                        reader.attributes().value(QLatin1String("owner")) == QLatin1String(kKdeMetadataOwner))
                        marked = true;
                }
                --depth;
                const qint64 to = reader.characterOffset();
                if (bookmark && marked) ours.append({from, to});
                else {
                    if (bookmark && href.isLocalFile()) keptPaths.append(href.toLocalFile());
                    insertAt = to;
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            // An empty-element tag ends where it starts.
            if (depth == 1 && reader.characterOffset() == insertAt && text.mid(insertAt - 2, 2) == QLatin1String("/>"))
                rootEmpty = true;
            --depth;
        }
        whitespaceFrom = -1;
        previousEnd = reader.characterOffset();
    }
    if (reader.hasError() || insertAt < 0) return std::nullopt;

    QList<PlaceEntry> toAdd;
    for (const PlaceEntry& e : add) {
        bool listed = false;
        for (const QString& p : keptPaths) listed = listed || samePath(p, e.path);
        if (!listed) toAdd.append(e);
    }

    // Cut our old bookmarks out (from the back, so offsets stay valid), then
    // put the new ones where the last entry of the user's ends.
    QString out = text;
    const QString inserted = toAdd.isEmpty() ? QString() : bookmarksText(toAdd);
    qint64 shift = 0;
    for (qsizetype i = ours.size() - 1; i >= 0; --i) {
        out.remove(ours[i].from, ours[i].to - ours[i].from);
        if (ours[i].to <= insertAt) shift += ours[i].to - ours[i].from;
    }
    if (rootEmpty && !inserted.isEmpty())
        out.replace(insertAt - 2, 2, QLatin1Char('>') + inserted + QLatin1String("\n</") + rootName + QLatin1Char('>'));
    else
        out.insert(insertAt - shift, inserted);
    return ListChange{out.toUtf8(), toAdd};
}

}  // namespace varnel::desktop
