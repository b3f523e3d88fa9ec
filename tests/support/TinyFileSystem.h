#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/mount.h>
#include <unistd.h>

// A file system of a few kilobytes (tmpfs), mounted over a folder for one test and gone with
// it. Mounting takes the superuser, or the root of a user namespace: a test that finds
// `mounted()` false runs again in a namespace of its own (RerunTest.h), or skips with a
// message where the machine allows none.
class TinyFileSystem {
public:
    // Over a fresh folder of its own, or over `folder`, which must exist.
    explicit TinyFileSystem(int kilobytes, const QString& folder = QString())
        : m_path(folder.isEmpty() ? m_own.path() : folder)
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(m_path).constData(),
                                                "tmpfs", 0, options.constData()) == 0;
    }
    ~TinyFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    QString filePath(const QString& name) const { return QDir(m_path).filePath(name); }

    // Takes all the space that is left, in a file of its own.
    void fill() const
    {
        QFile ballast(filePath(QStringLiteral("ballast")));
        if (!ballast.open(QIODevice::Append | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, 'b');
        while (ballast.write(block) == block.size()) {
        }
        // What fits of a last, partial block.
        for (const char c = 'b'; ballast.write(&c, 1) == 1;) {
        }
    }
    void makeRoom() const { QFile::remove(filePath(QStringLiteral("ballast"))); }

    // Nothing can be written any more, not even by the superuser.
    bool makeReadOnly() const
    {
        return ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr,
                       MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QTemporaryDir m_own;
    QString m_path;
    bool m_mounted = false;
};
