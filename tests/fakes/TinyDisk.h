#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Only Linux mounts a file system this way; elsewhere there is no small disk and the tests skip.
#if __has_include(<sys/mount.h>)
#include <sys/mount.h>
#define PELORIN_TINY_DISK_MOUNTS 1
#endif

namespace pelorin::test {

// A real file system of a few kilobytes mounted on a fresh folder, to be filled up or made read-only.
// Mounting needs root; mounted() is false elsewhere and the test skips.
class TinyDisk
{
public:
    explicit TinyDisk(int kilobytes = 64)
        : m_options(QByteArrayLiteral("size=") + QByteArray::number(kilobytes) + 'k')
    {
#ifdef PELORIN_TINY_DISK_MOUNTS
        m_mounted = m_dir.isValid()
            && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, m_options.constData()) == 0;
#endif
    }
    ~TinyDisk()
    {
#ifdef PELORIN_TINY_DISK_MOUNTS
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString path() const { return m_dir.path(); }

    // Takes every free byte but leaveFree with one file, so that the next write of any larger size fails.
    void fill(int leaveFree = 0)
    {
        QFile room(filePath(QStringLiteral(".room")));
        if (leaveFree > 0 && room.open(QIODevice::WriteOnly))
            room.write(QByteArray(leaveFree, 'x'));
        room.close();
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) { }
        while (filler.write(QByteArray(1, 'x')) == 1) { }
        room.remove();
    }
    bool makeReadOnly()
    {
#ifdef PELORIN_TINY_DISK_MOUNTS
        return m_mounted
            && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       m_options.constData())
            == 0;
#else
        return false;
#endif
    }

private:
    QByteArray m_options;
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace pelorin::test
