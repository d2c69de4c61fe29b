#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace pelorin::files {

// Writes a file through a temporary file beside it and renames that over the target only when every
// write, the flush and the sync to disk went well; on any failure the target keeps its former content
// (or stays absent) and no temporary file is left.
class SafeSave
{
public:
    explicit SafeSave(const QString& path);
    ~SafeSave();
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;

    // Creates the temporary file; false with error() set.
    bool open();
    // Where to write between open() and commit(). Every write goes straight to the system, so a failing
    // one is seen at once.
    QIODevice& device() { return m_file; }
    // Writes all of bytes; false with error() set and the temporary file removed.
    bool write(const QByteArray& bytes);
    // Puts the file in place; false with error() set and the temporary file removed.
    bool commit();
    // The reason of the failure, in Chinese, without the file's name.
    const QString& error() const { return m_error; }

private:
    bool fail(const QString& reason);

    QSaveFile m_file;
    QString m_error;
};

// Writes bytes as the file at path; an empty text when it was written, otherwise the reason in Chinese.
QString saveBytes(const QString& path, const QByteArray& bytes);

} // namespace pelorin::files
