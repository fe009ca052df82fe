#include "targets/gtk/gtk_bookmarks.h"

#include <QUrl>

namespace varnel::desktop {

namespace {

struct Line {
    QByteArray raw;
    QString path;  // empty for anything but a local folder
    QString label;
};

Line parseLine(const QByteArray& raw) {
    Line line{raw, {}, {}};
    const qsizetype space = raw.indexOf(' ');
    const QByteArray uri = space < 0 ? raw : raw.left(space);
    if (space >= 0) line.label = QString::fromUtf8(raw.mid(space + 1));
    const QUrl url = QUrl::fromEncoded(uri);
    if (url.isLocalFile()) line.path = url.toLocalFile();
    return line;
}

// The file holds one entry a line: a line break in a folder's name would
// start a line of its own.
QString oneLineLabel(QString label) {
    label.replace(QLatin1Char('\r'), QLatin1Char(' '));
    label.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return label;
}

bool matches(const Line& line, const PlaceEntry& entry) {
    return !line.path.isEmpty() && samePath(line.path, entry.path) && line.label == oneLineLabel(entry.label);
}

}  // namespace

QByteArray gtkUri(const QString& path) {
    // GLib leaves these as they are in a path; everything else beyond the
    // unreserved characters is percent-encoded as UTF-8.
    return "file://" + QUrl::toPercentEncoding(path, "!$&'()*+,/:=@");
}

QStringList gtkBookmarkFolders(const QByteArray& content) {
    QStringList folders;
    for (const QByteArray& raw : content.split('\n'))
        if (const Line line = parseLine(raw); !line.path.isEmpty()) folders << line.path;
    return folders;
}

ListChange gtkBookmarksWith(const QByteArray& original, const QList<PlaceEntry>& drop, const QList<PlaceEntry>& add) {
    QList<QByteArray> raw = original.split('\n');
    // A final newline leaves an empty last piece; a file without one keeps its
    // last line unterminated.
    const bool terminated = original.isEmpty() || original.endsWith('\n');
    if (terminated) raw.removeLast();

    QList<Line> lines;
    for (const QByteArray& r : raw) {
        Line line = parseLine(r);
        bool ours = false;
        for (const PlaceEntry& e : drop) ours = ours || matches(line, e);
        if (!ours) lines.append(line);
    }

    ListChange result;
    for (const PlaceEntry& e : add) {
        bool listed = false;
        for (const Line& line : lines) listed = listed || (!line.path.isEmpty() && samePath(line.path, e.path));
        if (listed) continue;
        QByteArray r = gtkUri(e.path);
        const QString label = oneLineLabel(e.label);
        if (!label.isEmpty()) r += ' ' + label.toUtf8();
        lines.append({r, e.path, label});
        result.added.append(e);
    }

    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) result.content += '\n';
        result.content += lines[i].raw;
    }
    if (terminated && !lines.isEmpty()) result.content += '\n';
    return result;
}

}  // namespace varnel::desktop
