#pragma once
// The file dialog a page's file box opens: one file, several where the box
// allows them, or a folder; it starts in the folder of the last upload of
// the session, else the user's home folder.
#include <QString>
#include <QStringList>

class QWidget;

namespace web {

enum class UploadMode { OneFile, ManyFiles, Folder };

// The files chosen, empty when cancelled. accept: the box's accepted types
// (".png", "image/*"), offered as a filter beside "All files".
QStringList chooseUploadFiles(QWidget *parent, UploadMode mode, const QStringList &accept);

// The folder the next upload dialog starts in.
QString uploadFolder();

} // namespace web
