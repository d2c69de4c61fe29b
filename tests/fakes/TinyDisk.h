#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace pelorin::test {

// A real file system of a few kilobytes mounted on a fresh folder, to be filled up or made read-only.
// Mounting needs root; mounted() is false elsewhere and the test skips.
class TinyDisk
{
public:
    explicit TinyDisk(int kilobytes = 64)
        : m_options(QByteArrayLiteral("size=") + QByteArray::number(kilobytes) + 'k')
    {
        m_mounted = m_dir.isValid()
            && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, m_options.constData()) == 0;
    }
    ~TinyDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
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
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       m_options.constData())
            == 0;
    }

private:
    QByteArray m_options;
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace pelorin::test
