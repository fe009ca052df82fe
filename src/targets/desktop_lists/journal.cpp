#include "targets/desktop_lists/journal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include "targets/desktop_lists/file_update.h"

namespace varnel::desktop {

// The file is a log: each change appends the whole record as one line, and
// the last complete line is what holds. Appending keeps a group switch free
// of the file replacements the lists themselves need.
Journal::Journal(QString file) : file_(std::move(file)) {
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) return;
    const QList<QByteArray> lines = in.readAll().split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(*line, &error);
        if (error.error == QJsonParseError::NoError && doc.isObject()) {
            data_ = doc.object();
            return;
        }
    }
}

QList<PlaceEntry> Journal::entries(const QString& list) const {
    QList<PlaceEntry> out;
    for (const QJsonValue& v : data_.value(list).toObject().value(QLatin1String("entries")).toArray()) {
        const QJsonObject e = v.toObject();
        out.append({e.value(QLatin1String("path")).toString(), e.value(QLatin1String("label")).toString()});
    }
    return out;
}

bool Journal::setEntries(const QString& list, const QList<PlaceEntry>& entries) {
    if (entries == this->entries(list)) return true;
    QJsonArray array;
    for (const PlaceEntry& e : entries)
        array.append(QJsonObject{{QLatin1String("path"), e.path}, {QLatin1String("label"), e.label}});
    QJsonObject family = data_.value(list).toObject();
    if (array.isEmpty()) family.remove(QLatin1String("entries"));
    else family.insert(QLatin1String("entries"), array);
    return setFamily(list, family);
}

QString Journal::value(const QString& list, const QString& key) const {
    return data_.value(list).toObject().value(key).toString();
}

bool Journal::setValue(const QString& list, const QString& key, const QString& value) {
    if (this->value(list, key) == value) return true;
    QJsonObject family = data_.value(list).toObject();
    if (value.isEmpty()) family.remove(key);
    else family.insert(key, value);
    return setFamily(list, family);
}

bool Journal::setFamily(const QString& list, const QJsonObject& family) {
    const QJsonObject before = data_;
    if (family.isEmpty()) data_.remove(list);
    else data_.insert(list, family);
    // A record that is not on disk would promise a clean-up that cannot happen.
    if (save()) return true;
    data_ = before;
    return false;
}

bool Journal::save() const {
    const QByteArray line = QJsonDocument(data_).toJson(QJsonDocument::Compact) + '\n';
    QFile out(file_);
    if (out.size() > 64 * 1024) return replaceFile(file_, line);
    return out.open(QIODevice::WriteOnly | QIODevice::Append) && out.write(line) == line.size() && out.flush();
}

}  // namespace varnel::desktop
