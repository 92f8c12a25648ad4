#pragma once
// "Add Favorite": the name of the new favourite and the folder it goes into,
// the favourites folder itself or one of its sub-folders.
#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace shell {

class TAddFavoriteForm : public QDialog {
    Q_OBJECT
public:
    TAddFavoriteForm(const QString &favoritesRoot, const QString &name, QWidget *parent = nullptr);

    QString name() const;
    // The chosen folder on disk.
    QString folder() const;
    // The file the favourite is written to: folder() + file name from name().
    QString targetFile() const;

private:
    void updateOk();

    QString m_root;
    QLineEdit *m_name;
    QComboBox *m_folder;
    QPushButton *m_ok;
};

// A file name for a favourite called name: blanks around it and leading dots
// dropped, "/" and control characters replaced by "-", cut (at a character
// boundary) so that the name with ".url" fits in 255 bytes, ".url" appended.
// Empty when nothing of the name is left.
QString favoriteFileName(const QString &name);

// Writes the Internet-shortcut file for url, creating its folder when
// missing. Throws base::Error when the folder or the file cannot be created.
void writeFavorite(const QString &fileName, const QString &url);

} // namespace shell
