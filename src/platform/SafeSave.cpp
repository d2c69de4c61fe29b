#include "platform/SafeSave.h"

#include "platform/SystemReason.h"

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pelorin::files {

SafeSave::SafeSave(const QString& path)
    : m_file(path)
{
}

SafeSave::~SafeSave()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool SafeSave::fail(const QString& reason)
{
    m_error = reason;
    if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool SafeSave::open()
{
    m_error.clear();
    // Unbuffered: with Qt's write buffer a write that fails only when the buffer is flushed at commit()
    // goes unnoticed, and commit() puts the empty file in place.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reasonOf(m_file.errorString()));
    return true;
}

bool SafeSave::write(const QByteArray& bytes)
{
    if (!m_file.isOpen())
        return false;
    if (m_file.write(bytes) != bytes.size()) {
        const bool reported = m_file.error() != QFileDevice::NoError;
        return fail(reported ? reasonOf(m_file.errorString()) : QStringLiteral("写入的数据不完整"));
    }
    return true;
}

bool SafeSave::commit()
{
    if (!m_file.isOpen())
        return fail(m_error.isEmpty() ? QStringLiteral("文件没有打开") : m_error);
    if (m_file.error() != QFileDevice::NoError)
        return fail(reasonOf(m_file.errorString()));
    if (!m_file.flush())
        return fail(reasonOf(m_file.errorString()));
#ifdef Q_OS_UNIX
    // Some file systems report a full disk only when the data reach it; Qt's own sync ignores the answer.
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        return fail(reasonOfErrno(errno));
#endif
    if (!m_file.commit()) {
        m_error = reasonOf(m_file.errorString());
        return false;
    }
    return true;
}

QString saveBytes(const QString& path, const QByteArray& bytes)
{
    SafeSave file(path);
    if (!file.open())
        return file.error();
    if (!file.write(bytes) || !file.commit())
        return file.error();
    return {};
}

} // namespace pelorin::files
