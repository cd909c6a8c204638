#pragma once
// One photo through the program's photo job, as `capture --photo` and `demo`
// take it: the camera source started, the photo named, the held frame written
// to the job's temporary bitmap and developed into the photo file, never over
// an existing one. The calling thread only.

#include "image/cximage/CxPageLook.h"

#include <QString>
#include <QStringList>

class CxImage;
class PhotoJob;
struct PhotoReport;

namespace scriva::cli {

// The camera the photo came from and the size of its frame.
struct PhotoSource
{
    QString cameraName;
    int cameraModel = 0;
    int width = 0;
    int height = 0;
};

// Names the job's photo (settings read, counter taken): false with the reason
// in words when the job refuses or a file has the name already.
bool NameJobPhoto(PhotoJob& job, QString& error);

// Develops `frame` (taken over), or the job's temporary bitmap when it is null,
// into the named photo's file: false with the reason in words. A page look that
// could not be given is told on stderr; the photo is saved as taken.
bool DevelopJobPhoto(PhotoJob& job, CxImage* frame, int cameraModel, int frameWidth,
                     QString& error);

// Takes the photo from the source (see StartCamera) and saves it with the job
// (the two steps above); false with the reason in words.
bool TakeJobPhoto(PhotoJob& job, const QString& sourceSetting, const QStringList& cameraTokens,
                  PhotoSource& source, QString& error);

// What a failed job went wrong on, in words.
QString JobFailure(const PhotoJob& job);

// A photo at `path` whose page look failed was saved as taken: says so on
// stderr, naming the look and the reason. Nothing when the look was given.
void WarnLookFailed(const PhotoReport& report, cxlook::Look look, const QString& path);

} // namespace scriva::cli
