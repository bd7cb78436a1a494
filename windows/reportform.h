#pragma once

#include <QDialog>
#include <QRect>
#include <QStringList>
#include <functional>

class QPlainTextEdit;
class QPushButton;

// Where a text report opens over the main window: 5 per cent in from its left
// and top edge, 90 per cent of its width and height (each rounded).
QRect ReportGeometry(const QRect &MainWindow);

// A text report in a window of its own: a read-only memo and an OK button.
class TReportForm : public QDialog
{
    Q_OBJECT
public:
    TReportForm(QWidget *parent, const QStringList &Lines);

    QPlainTextEdit *MemoReport;
    QPushButton *btnOK;

    // The modal run (exec unless set); tests replace it.
    static std::function<int(TReportForm &)> Exec;

    // The button is the cancel button too: Escape and the frame close answer OK.
    void reject() override { accept(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeControls();
};

// Shows Lines modally over MainWindow; the caller keeps the list.
int ShowReport(QWidget *MainWindow, const QStringList &Lines);
