#pragma once
// The desktop's shared thumbnail cache, where file managers and image viewers
// keep theirs: $XDG_CACHE_HOME/thumbnails/<size folder>/<MD5 of the file's
// URI>.png, each PNG carrying the file's URI and modification time in tEXt
// chunks (Thumb::URI, Thumb::MTime, Thumb::Size). A thumbnail counts only when
// both match the file as it is now. Files are written whole under a temporary
// name and renamed into place, mode 0600, in folders of mode 0700. Pictures
// that cannot be made are noted under fail/scriva/ so that they are not tried
// again until the file changes. Any thread (no shared state; the file system
// arbitrates between writers).

#include "ThumbDecoder.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace scriva::thumbs {

// What the cache knows of the original: its URI and modification time.
struct CacheKey
{
    QByteArray uri;     // file:// URI, bytes outside the safe set %-escaped
    qint64 mtime = 0;   // seconds
    qint64 size = -1;   // bytes; -1 when unknown
    bool valid = false; // false: not a regular file, or not one to cache
};

class ThumbCache
{
public:
    // Cache root; empty = $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails).
    explicit ThumbCache(QString root = QString());

    const QString& Root() const { return m_root; }

    // The URI of an absolute path as the desktop spells it (file:///a%20b.jpg).
    static QByteArray UriOf(const QString& absolutePath);
    // The size class for a longest side: 128, 256, 512 or 1024; 0 above 1024.
    static int SizeClassFor(int longestSide);
    static const char* FolderOf(int sizeClass); // "normal", "large", "x-large", "xx-large"

    // The key of a file as it is now; not valid for what is not a regular
    // file or lies inside the cache itself.
    CacheKey KeyOf(const QString& path) const;
    QString PathFor(const CacheKey& key, int sizeClass) const;
    QString FailurePathFor(const CacheKey& key) const;

    // The stored thumbnail (RGB32, alpha laid on white) when it belongs to the
    // key; null when missing, stale, damaged or larger than its class allows.
    QImage Lookup(const CacheKey& key, int sizeClass) const;
    // Stores a thumbnail whose longest side is at most sizeClass. False with
    // the reason in *error (naming the file) when it cannot be written.
    bool Store(const CacheKey& key, int sizeClass, const QImage& thumbnail, QString* error) const;

    // Whether making a thumbnail of this file already failed as it is now.
    bool HasFailed(const CacheKey& key) const;
    bool StoreFailure(const CacheKey& key, QString* error) const;

private:
    bool writePng(const QString& folder, const QString& target, const CacheKey& key,
                  const QImage& image, QString* error) const;

    QString m_root;
};

// A thumbnail made for the cache whose writing waits until its picture has
// been handed on, so that the column's first cells do not wait for the disk.
struct PendingStore
{
    CacheKey key;
    int sizeClass = 0;
    QImage image; // null: nothing to store
    void Commit(const ThumbCache& cache);
};

// A picture of the size FitRect gives in `box` for a file: scaled from the
// cache's thumbnail when it holds one for the file as it is now, else decoded
// at the cache's size, stored there (a cache that cannot be written is passed
// over) and scaled. Files the cache does not take are decoded directly.
// `fresh`: a file just written (perhaps twice within its clock's second) is
// read whatever the cache holds, and its entry replaced.
// With `pending`, a new thumbnail is left there to be stored by its Commit.
ThumbPicture PictureThroughCache(const QString& path, QSize box, const ThumbCache& cache,
                                 bool fresh = false, PendingStore* pending = nullptr);

} // namespace scriva::thumbs
