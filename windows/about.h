#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TAsUrlLabel;

// The about box: the program's version, its description and the maker's link.
class TAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(QWidget *parent = nullptr);

    QWidget *Panel1;
    QLabel *Image1;
    QLabel *Image2;
    QLabel *VerziaName;
    QLabel *popis;
    QLabel *Verzia;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label5;
    QLabel *Label6;
    TAsUrlLabel *AsUrlLabel1;
    QPushButton *BtnOK;

    void BtnOKClick() { accept(); }
};

// The program's file version, four dotted parts (2.6.0.0).
QString ProgramFileVersion();

// The version the about box shows: every part of the file version.
QString AboutVersionText(const QString &FileVersion);

// Sets the version label and the description (language text 192).
void FillAbout(TAbout &About, const QString &FileVersion);

// Creates, fills and shows the about box modally, then frees it.
void ShowAboutBox(QWidget *parent, const QString &FileVersion = ProgramFileVersion());
