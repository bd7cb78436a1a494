#include "windows/reportform.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>

#include "cardpack/dll_load.h"

std::function<int(TReportForm &)> TReportForm::Exec;

QRect ReportGeometry(const QRect &MainWindow)
{
    auto part = [](int v, double f) { return int(std::lround(v * f)); };
    return QRect(MainWindow.left() + part(MainWindow.width(), 0.05),
                 MainWindow.top() + part(MainWindow.height(), 0.05), part(MainWindow.width(), 0.9),
                 part(MainWindow.height(), 0.9));
}

TReportForm::TReportForm(QWidget *parent, const QStringList &Lines) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportForm"));
    setModal(true);
    setWindowTitle(LoadStrDll(22));

    MemoReport = new QPlainTextEdit(this);
    MemoReport->setObjectName(QStringLiteral("MemoReport"));
    MemoReport->setReadOnly(true);
    MemoReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter); // a fixed pitch where Courier New is missing
    MemoReport->setFont(courier);
    MemoReport->setPlainText(Lines.join(u'\n'));

    btnOK = new QPushButton(LoadStrDll(31), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    placeControls();
}

void TReportForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

void TReportForm::placeControls()
{
    btnOK->setGeometry((width() - 60) / 2, height() - 55, 60, 25);
    MemoReport->setGeometry(5, 5, width() - 17, height() - 65);
}

int ShowReport(QWidget *MainWindow, const QStringList &Lines)
{
    TReportForm form(MainWindow, Lines);
    if (MainWindow)
        form.setGeometry(ReportGeometry(MainWindow->frameGeometry()));
    return TReportForm::Exec ? TReportForm::Exec(form) : form.exec();
}
