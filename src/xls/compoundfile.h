#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace vestrel::xls {

// A compound file (OLE2 structured storage) held in memory: every stream is read on parse and the whole file is laid
// out anew on serialize, keeping the directory (names, tree, CLSIDs, times), the sector size and the version.
class CompoundFile {
public:
    // Empty on success, otherwise a message in Chinese. Never trusts a count, offset or chain of the input.
    QString parse(const QByteArray& file);

    // Directory id of the stream with this name directly under the root storage (case-insensitive), or -1.
    int rootStream(const QString& name) const;
    QByteArray stream(int id) const { return data_.value(id); }
    void setStream(int id, const QByteArray& data);
    QList<int> streamIds() const { return data_.keys(); }
    QString entryName(int id) const;

    int majorVersion() const;
    QByteArray serialize() const;

private:
    struct Entry {
        QByteArray raw; // the 128-byte directory entry as read; unreachable entries are blanked
        int type = 0;
        int parent = -1; // storage that holds the entry
        QString name;
    };

    QByteArray header_;
    int sectorShift_ = 9;
    QList<Entry> entries_;
    QHash<int, QByteArray> data_;
};

} // namespace vestrel::xls
