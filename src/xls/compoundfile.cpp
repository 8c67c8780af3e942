#include "xls/compoundfile.h"

#include "xls/bytes.h"
#include "xls/xlstexts.h"

#include <algorithm>
#include <vector>

namespace vestrel::xls {

using namespace detail;

namespace {

constexpr quint32 kFreeSect = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSect = 0xFFFFFFFD;
constexpr quint32 kDifSect = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr qsizetype kMiniCutoff = 4096;
constexpr qsizetype kMiniSector = 64;
constexpr qsizetype kEntrySize = 128;
constexpr int kHeaderDifat = 109;
constexpr qsizetype kMaxFile = qsizetype(1) << 30;
const QByteArray kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

enum EntryType { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

// Offsets of the header and directory entry fields used here.
enum : qsizetype {
    hMajor = 0x1A,
    hByteOrder = 0x1C,
    hSectorShift = 0x1E,
    hMiniShift = 0x20,
    hDirSectors = 0x28,
    hFatSectors = 0x2C,
    hFirstDir = 0x30,
    hCutoff = 0x38,
    hFirstMiniFat = 0x3C,
    hMiniFatSectors = 0x40,
    hFirstDifat = 0x44,
    hDifatSectors = 0x48,
    hDifat = 0x4C,
    eNameLen = 0x40,
    eType = 0x42,
    eLeft = 0x44,
    eRight = 0x48,
    eChild = 0x4C,
    eStart = 0x74,
    eSize = 0x78,
};

// Sector chains of one file. Every sector may belong to one chain only, which also ends every cycle.
class ChainReader {
public:
    ChainReader(const QByteArray& file, qsizetype sectorSize)
        : file_(file), size_(sectorSize), count_(quint32((file.size() - sectorSize + sectorSize - 1) / sectorSize)),
          used_(count_, 0) {}

    quint32 sectorCount() const { return count_; }

    bool claim(quint32 sector) {
        if (sector >= count_ || used_[sector]) return false;
        used_[sector] = 1;
        return true;
    }

    // Sector contents; the last sector of a file cut short on a sector boundary reads as zero-padded.
    QByteArray sector(quint32 n) const {
        const qsizetype at = (qsizetype(n) + 1) * size_;
        QByteArray s = file_.mid(at, size_);
        if (s.size() < size_) s.append(QByteArray(size_ - s.size(), '\0'));
        return s;
    }

    void appendSector(quint32 n, QByteArray* out) const {
        const qsizetype at = (qsizetype(n) + 1) * size_;
        const qsizetype present = std::clamp<qsizetype>(file_.size() - at, 0, size_);
        out->append(file_.constData() + at, present);
        if (present < size_) out->append(QByteArray(size_ - present, '\0'));
    }

    // Follows the chain from start: `needed` sectors, or up to ENDOFCHAIN when needed < 0.
    bool follow(quint32 start, qsizetype needed, const std::vector<quint32>& fat, QByteArray* out) {
        quint32 cur = start;
        qsizetype n = 0;
        while (needed < 0 ? cur != kEndOfChain : n < needed) {
            if (cur >= fat.size() || !claim(cur)) return false;
            appendSector(cur, out);
            cur = fat[cur];
            ++n;
        }
        return true;
    }

private:
    const QByteArray& file_;
    qsizetype size_;
    quint32 count_;
    std::vector<char> used_;
};

bool followMini(quint32 start, qsizetype needed, const std::vector<quint32>& miniFat, const QByteArray& miniStream,
                std::vector<char>& used, QByteArray* out) {
    const qsizetype available = miniStream.size() / kMiniSector;
    quint32 cur = start;
    for (qsizetype n = 0; n < needed; ++n) {
        if (cur >= miniFat.size() || qsizetype(cur) >= available || used[cur]) return false;
        used[cur] = 1;
        out->append(miniStream.constData() + qsizetype(cur) * kMiniSector, kMiniSector);
        cur = miniFat[cur];
    }
    return true;
}

std::vector<quint32> toTable(const QByteArray& bytes) {
    std::vector<quint32> table(size_t(bytes.size() / 4));
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = u32(bytes, qsizetype(i) * 4);
    return table;
}

qsizetype ceilDiv(qsizetype a, qsizetype b) {
    return (a + b - 1) / b;
}

} // namespace

QString CompoundFile::parse(const QByteArray& file) {
    header_.clear();
    entries_.clear();
    data_.clear();

    if (file.size() > kMaxFile) return texts::tooLarge();
    if (file.size() < 512 || !file.startsWith(kSignature)) return texts::notCompoundFile();
    const int major = u16(file, hMajor);
    const int shift = u16(file, hSectorShift);
    if (u16(file, hByteOrder) != 0xFFFE || u16(file, hMiniShift) != 6 ||
        !((major == 3 && shift == 9) || (major == 4 && shift == 12)))
        return texts::corrupt(texts::badHeader());
    const qsizetype sectorSize = qsizetype(1) << shift;
    if (file.size() <= sectorSize) return texts::corrupt(texts::truncated());

    ChainReader chains(file, sectorSize);
    const quint32 perSector = quint32(sectorSize / 4);

    // FAT sector locations: 109 in the header, the rest in the DIFAT chain.
    const quint32 fatCount = u32(file, hFatSectors);
    if (fatCount == 0 || fatCount > chains.sectorCount()) return texts::corrupt(texts::badAllocationTable());
    std::vector<quint32> fatSectors;
    for (int i = 0; i < kHeaderDifat && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(u32(file, hDifat + i * 4));
    quint32 difat = u32(file, hFirstDifat);
    while (fatSectors.size() < fatCount) {
        if (!chains.claim(difat)) return texts::corrupt(texts::badAllocationTable());
        const QByteArray s = chains.sector(difat);
        for (quint32 i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32(s, i * 4));
        difat = u32(s, (perSector - 1) * 4);
    }
    QByteArray fatBytes;
    fatBytes.reserve(qsizetype(fatCount) * sectorSize);
    for (quint32 s : fatSectors) {
        if (!chains.claim(s)) return texts::corrupt(texts::badAllocationTable());
        chains.appendSector(s, &fatBytes);
    }
    const std::vector<quint32> fat = toTable(fatBytes);

    QByteArray dir;
    if (!chains.follow(u32(file, hFirstDir), -1, fat, &dir)) return texts::corrupt(texts::badChain());
    const qsizetype entryCount = dir.size() / kEntrySize;
    if (entryCount == 0) return texts::corrupt(texts::badDirectory());

    auto streamSize = [&](const QByteArray& raw) -> qsizetype {
        // Version 3 readers must ignore the high half of the size.
        const quint64 size = major == 3 ? u32(raw, eSize) : u64(raw, eSize);
        return size > quint64(kMaxFile) ? -1 : qsizetype(size);
    };

    QList<Entry> entries(entryCount);
    for (qsizetype i = 0; i < entryCount; ++i) {
        Entry& e = entries[i];
        e.raw = dir.mid(i * kEntrySize, kEntrySize);
        e.type = uchar(e.raw.at(eType));
        const int nameLen = u16(e.raw, eNameLen);
        if (nameLen > 64 || nameLen % 2 != 0) return texts::corrupt(texts::badDirectory());
        for (int c = 0; c + 1 < nameLen / 2; ++c)
            e.name += QChar(u16(e.raw, 2 * c));
    }
    if (entries[0].type != Root) return texts::corrupt(texts::badDirectory());

    // Walk the red-black trees from the root; a revisited or out-of-range id is a corrupt directory.
    std::vector<char> seen(entryCount, 0);
    seen[0] = 1;
    entries[0].parent = -1;
    std::vector<std::pair<quint32, int>> todo{{u32(entries[0].raw, eChild), 0}};
    while (!todo.empty()) {
        const auto [id, parent] = todo.back();
        todo.pop_back();
        if (id == kNoStream) continue;
        if (id >= quint32(entryCount) || seen[id]) return texts::corrupt(texts::badDirectory());
        seen[id] = 1;
        Entry& e = entries[id];
        if (e.type != Storage && e.type != Stream) return texts::corrupt(texts::badDirectory());
        e.parent = parent;
        todo.push_back({u32(e.raw, eLeft), parent});
        todo.push_back({u32(e.raw, eRight), parent});
        if (e.type == Storage) todo.push_back({u32(e.raw, eChild), int(id)});
    }

    // The mini stream (the root entry's chain) and the mini FAT.
    const qsizetype miniSize = streamSize(entries[0].raw);
    if (miniSize < 0) return texts::corrupt(texts::badDirectory());
    QByteArray miniStream;
    if (miniSize > 0 && !chains.follow(u32(entries[0].raw, eStart), ceilDiv(miniSize, sectorSize), fat, &miniStream))
        return texts::corrupt(texts::badChain());
    miniStream.truncate(miniSize);
    QByteArray miniFatBytes;
    const quint32 firstMiniFat = u32(file, hFirstMiniFat);
    if (firstMiniFat != kFreeSect && !chains.follow(firstMiniFat, -1, fat, &miniFatBytes))
        return texts::corrupt(texts::badChain());
    const std::vector<quint32> miniFat = toTable(miniFatBytes);
    std::vector<char> miniUsed(miniFat.size(), 0);

    QHash<int, QByteArray> data;
    for (qsizetype i = 1; i < entryCount; ++i) {
        Entry& e = entries[i];
        if (!seen[i]) {
            // Not part of the tree: written back as a free entry.
            e.raw = QByteArray(kEntrySize, '\0');
            put32(e.raw, eLeft, kNoStream);
            put32(e.raw, eRight, kNoStream);
            put32(e.raw, eChild, kNoStream);
            e.type = Unused;
            e.name.clear();
            continue;
        }
        if (e.type != Stream) continue;
        const qsizetype size = streamSize(e.raw);
        if (size < 0 || size > file.size()) return texts::corrupt(texts::badDirectory());
        QByteArray bytes;
        bytes.reserve(size);
        const quint32 start = u32(e.raw, eStart);
        const bool ok = size == 0 ? true
                        : size < kMiniCutoff
                            ? followMini(start, ceilDiv(size, kMiniSector), miniFat, miniStream, miniUsed, &bytes)
                            : chains.follow(start, ceilDiv(size, sectorSize), fat, &bytes);
        if (!ok) return texts::corrupt(texts::badChain());
        bytes.truncate(size);
        data.insert(int(i), bytes);
    }

    header_ = file.left(512);
    sectorShift_ = shift;
    entries_ = entries;
    data_ = data;
    return {};
}

int CompoundFile::rootStream(const QString& name) const {
    for (qsizetype i = 1; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.type == Stream && e.parent == 0 && e.name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    }
    return -1;
}

void CompoundFile::setStream(int id, const QByteArray& data) {
    if (data_.contains(id)) data_.insert(id, data);
}

QString CompoundFile::entryName(int id) const {
    return id >= 0 && id < entries_.size() ? entries_[id].name : QString();
}

int CompoundFile::majorVersion() const {
    return header_.isEmpty() ? 0 : u16(header_, hMajor);
}

QByteArray CompoundFile::serialize() const {
    if (header_.isEmpty()) return {};
    const qsizetype sectorSize = qsizetype(1) << sectorShift_;
    const qsizetype perSector = sectorSize / 4;

    // Small streams go to the mini stream, the others get sectors of their own.
    QList<int> ids = data_.keys();
    std::sort(ids.begin(), ids.end());
    QHash<int, quint32> start;
    qsizetype miniSectors = 0;
    qsizetype streamSectors = 0;
    for (int id : ids) {
        const qsizetype size = data_[id].size();
        if (size == 0)
            start.insert(id, kEndOfChain);
        else if (size < kMiniCutoff) {
            start.insert(id, quint32(miniSectors));
            miniSectors += ceilDiv(size, kMiniSector);
        } else
            streamSectors += ceilDiv(size, sectorSize);
    }
    const qsizetype miniStreamSize = miniSectors * kMiniSector;
    const qsizetype miniStreamSectors = ceilDiv(miniStreamSize, sectorSize);
    const qsizetype miniFatSectors = ceilDiv(miniSectors * 4, sectorSize);
    const qsizetype dirSectors = ceilDiv(entries_.size() * kEntrySize, sectorSize);
    const qsizetype payload = dirSectors + miniFatSectors + miniStreamSectors + streamSectors;

    // The FAT maps its own sectors and the DIFAT's, so size both to a fixed point.
    qsizetype fatSectors = 1;
    qsizetype difatSectors = 0;
    for (;;) {
        const qsizetype total = payload + fatSectors + difatSectors;
        const qsizetype needFat = ceilDiv(total, perSector);
        const qsizetype needDifat = needFat > kHeaderDifat ? ceilDiv(needFat - kHeaderDifat, perSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors) break;
        fatSectors = std::max(fatSectors, needFat);
        difatSectors = std::max(difatSectors, needDifat);
    }
    const qsizetype total = payload + fatSectors + difatSectors;

    std::vector<quint32> fat(size_t(fatSectors * perSector), kFreeSect);
    quint32 next = 0;
    auto allocate = [&](qsizetype count, quint32 mark) {
        const quint32 first = next;
        for (qsizetype i = 0; i < count; ++i, ++next)
            fat[next] = mark != 0 ? mark : (i + 1 < count ? next + 1 : kEndOfChain);
        return count > 0 ? first : kEndOfChain;
    };
    const quint32 firstFat = allocate(fatSectors, kFatSect);
    const quint32 firstDifat = allocate(difatSectors, kDifSect);
    const quint32 firstDir = allocate(dirSectors, 0);
    const quint32 firstMiniFat = allocate(miniFatSectors, 0);
    const quint32 firstMini = allocate(miniStreamSectors, 0);
    for (int id : ids) {
        const qsizetype size = data_[id].size();
        if (size >= kMiniCutoff) start.insert(id, allocate(ceilDiv(size, sectorSize), 0));
    }
    Q_ASSERT(qsizetype(next) == total);

    QByteArray out(sectorSize * (total + 1), '\0');
    auto sectorAt = [&](quint32 n) { return (qsizetype(n) + 1) * sectorSize; };

    // Header.
    std::copy(header_.constBegin(), header_.constBegin() + hDifat, out.begin());
    put32(out, hDirSectors, sectorShift_ == 12 ? quint32(dirSectors) : 0);
    put32(out, hFatSectors, quint32(fatSectors));
    put32(out, hFirstDir, firstDir);
    put32(out, hCutoff, quint32(kMiniCutoff));
    put32(out, hFirstMiniFat, firstMiniFat);
    put32(out, hMiniFatSectors, quint32(miniFatSectors));
    put32(out, hFirstDifat, firstDifat);
    put32(out, hDifatSectors, quint32(difatSectors));
    for (int i = 0; i < kHeaderDifat; ++i)
        put32(out, hDifat + i * 4, i < fatSectors ? firstFat + quint32(i) : kFreeSect);

    // DIFAT sectors: the FAT sectors beyond the header's 109, then the next DIFAT sector.
    for (qsizetype d = 0; d < difatSectors; ++d) {
        const qsizetype at = sectorAt(firstDifat + quint32(d));
        for (qsizetype i = 0; i < perSector - 1; ++i) {
            const qsizetype fatIndex = kHeaderDifat + d * (perSector - 1) + i;
            put32(out, at + i * 4, fatIndex < fatSectors ? firstFat + quint32(fatIndex) : kFreeSect);
        }
        put32(out, at + (perSector - 1) * 4, d + 1 < difatSectors ? firstDifat + quint32(d + 1) : kEndOfChain);
    }
    for (qsizetype i = 0; i < qsizetype(fat.size()); ++i)
        put32(out, sectorAt(firstFat) + i * 4, fat[size_t(i)]);

    // Directory: entries as read, with new starts and sizes; free slots of the last sector blank.
    const qsizetype dirAt = sectorAt(firstDir);
    for (qsizetype i = 0; i < dirSectors * sectorSize / kEntrySize; ++i) {
        const qsizetype at = dirAt + i * kEntrySize;
        if (i >= entries_.size()) {
            put32(out, at + eLeft, kNoStream);
            put32(out, at + eRight, kNoStream);
            put32(out, at + eChild, kNoStream);
            continue;
        }
        std::copy(entries_[i].raw.constBegin(), entries_[i].raw.constEnd(), out.begin() + at);
        if (i == 0) {
            put32(out, at + eStart, miniSectors > 0 ? firstMini : kEndOfChain);
            put64(out, at + eSize, quint64(miniStreamSize));
        } else if (data_.contains(int(i))) {
            put32(out, at + eStart, start.value(int(i)));
            put64(out, at + eSize, quint64(data_[int(i)].size()));
        }
    }

    // Mini FAT and mini stream.
    std::vector<quint32> miniFat(size_t(miniFatSectors * perSector), kFreeSect);
    const qsizetype miniAt = sectorAt(firstMini);
    for (int id : ids) {
        const QByteArray& bytes = data_[id];
        if (bytes.isEmpty() || bytes.size() >= kMiniCutoff) continue;
        const quint32 first = start.value(id);
        const qsizetype count = ceilDiv(bytes.size(), kMiniSector);
        for (qsizetype i = 0; i < count; ++i)
            miniFat[first + i] = i + 1 < count ? first + quint32(i) + 1 : kEndOfChain;
        std::copy(bytes.constBegin(), bytes.constEnd(), out.begin() + miniAt + qsizetype(first) * kMiniSector);
    }
    for (qsizetype i = 0; i < qsizetype(miniFat.size()); ++i)
        put32(out, sectorAt(firstMiniFat) + i * 4, miniFat[size_t(i)]);

    for (int id : ids) {
        const QByteArray& bytes = data_[id];
        if (bytes.size() >= kMiniCutoff)
            std::copy(bytes.constBegin(), bytes.constEnd(), out.begin() + sectorAt(start.value(id)));
    }
    return out;
}

} // namespace vestrel::xls
