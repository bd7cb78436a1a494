#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

// A label that opens its link text through the shell when clicked, with one
// appearance while the mouse is over it and another otherwise.
class TAsUrlLabel : public QLabel
{
    Q_OBJECT
public:
    enum TTextLayout { tlTop, tlCenter, tlBottom };

    // One appearance set.
    struct TAppearance {
        QString Caption;
        QColor Color; // background; the button-face colour by default
        QFont Font;
        QColor FontColor;
        Qt::Alignment Alignment = Qt::AlignLeft;
        TTextLayout Layout = tlTop;
    };

    explicit TAsUrlLabel(QWidget *parent = nullptr);

    QString Link;
    TAppearance Normal;
    TAppearance Hover;

    // Shows the normal set (after its fields were changed).
    void ApplyNormal() { apply(Normal); }
    bool IsHovered() const { return hovered_; }

    // The label's own click, then the link opened with blanks trimmed.
    void Click();

signals:
    void clicked();
    void mouseEntered();
    void mouseLeft();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void apply(const TAppearance &set);
    bool hovered_ = false;
    bool pressed_ = false;
};

// Opens a link text (blanks trimmed) with the shell's Open verb.
bool OpenLinkText(const QString &Link);
