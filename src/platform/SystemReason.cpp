#include "platform/SystemReason.h"

#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace pelorin::files {

namespace {

struct Known
{
    int code;
    const char16_t* reason;
};

// The reasons a clerk meets: full or read-only disks, missing rights, files held open, missing folders.
constexpr Known KnownErrors[] = {
    { ENOSPC, u"磁盘空间已满" },
    { EROFS, u"磁盘或文件夹是只读的，不能写入" },
    { EACCES, u"没有访问权限" },
    { EPERM, u"操作不被允许（没有权限）" },
    { ETXTBSY, u"文件正被其他程序使用" },
    { EBUSY, u"文件正被其他程序使用" },
    { ENOENT, u"文件或文件夹不存在" },
    { ENOTDIR, u"路径中有一项不是文件夹" },
    { EISDIR, u"这是一个文件夹，不是文件" },
    { ENAMETOOLONG, u"文件名太长" },
    { EFBIG, u"文件太大" },
    { EIO, u"磁盘读写出错" },
    { EMFILE, u"打开的文件太多" },
    { ENFILE, u"打开的文件太多" },
    { EEXIST, u"文件已存在" },
    { ENODEV, u"设备不存在" },
    { ENXIO, u"设备不存在" },
};

// Qt's own texts: failures it finds before asking the system, and the system's reasons it words itself.
struct KnownText
{
    const char* text;
    const char16_t* reason;
};
constexpr KnownText KnownQtTexts[] = {
    { "is not writable", u"没有写入权限" },
    { "refers to a directory", u"这是一个文件夹，不是文件" },
    { "No file engine available", u"无法访问该位置" },
    { "Writing canceled", u"写入已取消" },
    { "No such file or directory", u"文件或文件夹不存在" },
    { "Permission denied", u"没有访问权限" },
    { "No space left on device", u"磁盘空间已满" },
    { "Read-only file system", u"磁盘或文件夹是只读的，不能写入" },
    // A full quota has no error number on every system; its text is the same everywhere.
    { "Disk quota exceeded", u"磁盘配额已用完" },
    { "Too many open files", u"打开的文件太多" },
    // The same reasons as other systems word them: Linux's for a file in use, Windows' sharing violation.
    { "Text file busy", u"文件正被其他程序使用" },
    { "Device or resource busy", u"文件正被其他程序使用" },
    { "being used by another process", u"文件正被其他程序使用" },
};

bool hasChinese(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

} // namespace

QString reasonOfErrno(int code)
{
    for (const Known& known : KnownErrors)
        if (known.code == code)
            return QString::fromUtf16(known.reason);
    return QStringLiteral("系统错误（%1）").arg(QString::fromLocal8Bit(std::strerror(code)));
}

QString reasonOf(const QString& systemText)
{
    const QString text = systemText.trimmed();
    if (text.isEmpty())
        return QStringLiteral("原因不明");
    // The system's texts in the language it runs in, as Qt got them from strerror().
    for (const Known& known : KnownErrors) {
        const QString system = QString::fromLocal8Bit(std::strerror(known.code));
        if (text.contains(system, Qt::CaseInsensitive))
            return QString::fromUtf16(known.reason);
    }
    // Qt words a few of them itself, in the language of the translation the program installed.
    for (const KnownText& known : KnownQtTexts) {
        if (text.contains(QLatin1String(known.text), Qt::CaseInsensitive))
            return QString::fromUtf16(known.reason);
        const QString translated = QCoreApplication::translate("QIODevice", known.text);
        if (translated != QLatin1String(known.text) && text.contains(translated, Qt::CaseInsensitive))
            return QString::fromUtf16(known.reason);
    }
    if (hasChinese(text))
        return text;
    return QStringLiteral("系统错误（%1）").arg(text);
}

} // namespace pelorin::files
