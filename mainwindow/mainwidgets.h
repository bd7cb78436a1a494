#pragma once

#include <QFrame>
#include <QList>
#include <QString>

// Small controls of the main window's layout.

// An empty board slot on Card_Panel: a bevelled panel with a centred caption.
class TBoardPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TBoardPanel(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);
    bool Lowered() const { return lowered_; }
    void SetLowered(bool lowered);
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

signals:
    void contextRequested(int slot, const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString caption_;
    bool lowered_ = false;
    int tag_ = 0;
};

// A panel that reports clicks (Line_panel).
class TClickPanel : public QFrame
{
    Q_OBJECT
public:
    using QFrame::QFrame;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The drag bar on top of the log panel: reports the mouse's screen row.
class TDragBar : public QFrame
{
    Q_OBJECT
public:
    explicit TDragBar(QWidget *parent = nullptr);
    int Tag() const { return 30; } // the log panel's least height

signals:
    void pressed(int globalY);
    void moved(int globalY);
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool dragging_ = false;
};

// Status bar of fixed-width text panels, the last one taking what is left.
class TStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit TStatusBar(int panels, QWidget *parent = nullptr);

    int Count() const { return int(panels_.size()); }
    QString Text(int i) const;
    void SetText(int i, const QString &text);
    int Width(int i) const;
    void SetWidth(int i, int width);
    void RemovePanel(int i);
    // Width of a text in the bar's font.
    int TextWidth(const QString &text) const;

    QSize sizeHint() const override;

signals:
    void doubleClicked();
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    struct Panel {
        QString text;
        int width = 50;
    };
    QList<Panel> panels_;
};

// A transmit or receive light.
class TStatusLight : public QWidget
{
    Q_OBJECT
public:
    TStatusLight(const QColor &litColor, QWidget *parent = nullptr);
    bool Lit() const { return lit_; }
    void SetLit(bool lit);
    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor litColor_;
    bool lit_ = false;
};

// Drives the two lights from the serial link's traffic: each send or receive
// lights its lamp for a short while.
class TSLController : public QObject
{
    Q_OBJECT
public:
    TSLController(TStatusLight *transmit, TStatusLight *receive, QObject *parent = nullptr);

    void Transmitted(); // a frame went out
    void Received();    // bytes came in
    void Reset();       // both lights off (port closed)

private:
    void flash(TStatusLight *light);
    TStatusLight *transmit_;
    TStatusLight *receive_;
};
