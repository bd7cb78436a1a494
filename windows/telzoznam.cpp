#include "windows/telzoznam.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

#include "cardpack/dll_load.h"
#include "records/systemimage.h"

std::function<int(TfTelZoznam &)> TfTelZoznam::Exec;

namespace
{

// What the system stores of a name and of a number: a longer text would be
// cut when the phone book is written to the console.
constexpr int MaxNameLength = img::PhoneStringMax;
constexpr int MaxNumberLength = img::PhoneStringMax;
constexpr char NumberEditorProperty[] = "numberEditor";

// Pasted text obeys the same filter as typed keys.
class NumberValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return PhoneBook::NumberTextAccepted(input) ? Acceptable : Invalid;
    }
};

class PhoneBookDelegate : public QStyledItemDelegate
{
public:
    PhoneBookDelegate(QObject *keyFilter, QObject *parent)
        : QStyledItemDelegate(parent), keyFilter_(keyFilter)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            if (index.column() == 1) {
                line->setValidator(new NumberValidator(line));
                line->setMaxLength(MaxNumberLength);
                line->setProperty(NumberEditorProperty, true);
                line->installEventFilter(keyFilter_);
            } else {
                line->setMaxLength(MaxNameLength);
            }
        }
        return editor;
    }

private:
    QObject *keyFilter_;
};

bool plainKey(const QKeyEvent *event)
{
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

TfTelZoznam::TfTelZoznam(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("fTelZoznam"));
    setModal(true);
    resize(380, 440);

    ValueListEditor1 = new QTableWidget(0, 2, this);
    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ValueListEditor1->setSelectionMode(QAbstractItemView::SingleSelection);
    ValueListEditor1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    ValueListEditor1->setItemDelegate(new PhoneBookDelegate(this, ValueListEditor1));
    ValueListEditor1->installEventFilter(this);
    connect(ValueListEditor1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item && item->column() == 0)
            ValueListEditor1Validate(item->row());
    });

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    bOK = new QPushButton(QStringLiteral("OK"), Panel1);
    bOK->setObjectName(QStringLiteral("bOK"));
    bCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    // Enter belongs to the grid's editor, not to a default button.
    for (QPushButton *b : {bOK, bCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(bOK, &QPushButton::clicked, this, [this] {
        CommitEdit();
        done(TelZoznamOK);
    });
    connect(bCancel, &QPushButton::clicked, this, [this] { done(TelZoznamCancel); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusBar1->addWidget(StatusPanel, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(ValueListEditor1, 1);
    column->addWidget(Panel1);
    column->addWidget(StatusBar1);

    SetRows({});
    FormResize();
}

void TfTelZoznam::SetTitles(const QString &Names, const QString &Numbers)
{
    ValueListEditor1->setHorizontalHeaderLabels({Names, Numbers});
}

void TfTelZoznam::setRow(int Row, const PhoneBook::TRow &Value)
{
    const QSignalBlocker quiet(ValueListEditor1);
    ValueListEditor1->setItem(Row, 0, new QTableWidgetItem(Value.Name));
    ValueListEditor1->setItem(Row, 1, new QTableWidgetItem(Value.Number));
}

void TfTelZoznam::SetRows(const QList<PhoneBook::TRow> &Rows)
{
    const QSignalBlocker quiet(ValueListEditor1);
    ValueListEditor1->setRowCount(0);
    const qsizetype count = std::min<qsizetype>(Rows.size(), PhoneCount);
    ValueListEditor1->setRowCount(int(std::max<qsizetype>(count, 1)));
    for (int r = 0; r < ValueListEditor1->rowCount(); ++r)
        setRow(r, r < count ? Rows[r] : PhoneBook::TRow());
    ValueListEditor1->setCurrentCell(0, 0);
}

QList<PhoneBook::TRow> TfTelZoznam::Rows() const
{
    QList<PhoneBook::TRow> rows;
    for (int r = 0; r < ValueListEditor1->rowCount(); ++r) {
        const QTableWidgetItem *name = ValueListEditor1->item(r, 0);
        const QTableWidgetItem *number = ValueListEditor1->item(r, 1);
        rows.append({name ? name->text() : QString(), number ? number->text() : QString()});
    }
    return rows;
}

bool TfTelZoznam::AddRow(int At)
{
    if (ValueListEditor1->rowCount() >= PhoneCount) {
        StatusPanel->setText(LoadStrDll(301));
        return false;
    }
    At = std::clamp(At, 0, ValueListEditor1->rowCount());
    {
        const QSignalBlocker quiet(ValueListEditor1);
        ValueListEditor1->insertRow(At);
    }
    setRow(At, PhoneBook::TRow());
    return true;
}

void TfTelZoznam::DeleteRow(int Row)
{
    if (Row < 0 || Row >= ValueListEditor1->rowCount())
        return;
    const int column = std::max(0, ValueListEditor1->currentColumn());
    {
        const QSignalBlocker quiet(ValueListEditor1);
        ValueListEditor1->removeRow(Row);
    }
    if (ValueListEditor1->rowCount() == 0) {
        AddRow(0);
    }
    ValueListEditor1->setCurrentCell(std::min(Row, ValueListEditor1->rowCount() - 1), column);
}

void TfTelZoznam::CommitEdit()
{
    QWidget *editor = ValueListEditor1->indexWidget(ValueListEditor1->currentIndex());
    QAbstractItemDelegate *delegate = ValueListEditor1->itemDelegate();
    if (!editor || !delegate)
        return;
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TfTelZoznam::ValueListEditor1KeyPress(QKeyEvent *Event, bool InNumberColumn)
{
    if (!InNumberColumn || !Event)
        return false;
    // Shortcuts (copy, paste, select all) are no typed characters; the
    // editor's validator checks what a paste brings.
    if (Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return !PhoneBook::NumberTextAccepted(Event->text());
}

void TfTelZoznam::ValueListEditor1Validate(int Row)
{
    const QList<PhoneBook::TRow> rows = Rows();
    if (Row < 0 || Row >= rows.size())
        return;
    const QString typed = rows[Row].Name;
    const PhoneBook::TUniqueName unique = PhoneBook::UniqueName(rows, Row, typed);
    if (unique.Duplicate < 0)
        return;
    QString note = LoadStrDll(300);
    note.replace(QStringLiteral("%s"), typed);
    StatusPanel->setText(note + u' ' + QString::number(unique.Duplicate + 1));
    const QSignalBlocker quiet(ValueListEditor1);
    ValueListEditor1->item(Row, 0)->setText(unique.Name);
}

bool TfTelZoznam::gridKey(QKeyEvent *Event)
{
    const int row = ValueListEditor1->currentRow();
    const int count = ValueListEditor1->rowCount();
    const int column = std::max(0, ValueListEditor1->currentColumn());
    if (Event->key() == Qt::Key_Insert && plainKey(Event)) {
        const int at = row < 0 ? count : row;
        if (AddRow(at))
            ValueListEditor1->setCurrentCell(at, column);
        return true;
    }
    if (Event->key() == Qt::Key_Down && plainKey(Event) && row == count - 1) {
        // Below an empty last row there is nothing to add.
        if (count > 0 && Rows().last() == PhoneBook::TRow())
            return true;
        if (AddRow(count))
            ValueListEditor1->setCurrentCell(count, column);
        return true;
    }
    if (Event->key() == Qt::Key_Delete && (Event->modifiers() & Qt::ControlModifier)) {
        DeleteRow(row);
        return true;
    }
    return false;
}

bool TfTelZoznam::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(Event);
        if (Watched == ValueListEditor1)
            return ValueListEditor1KeyPress(key, ValueListEditor1->currentColumn() == 1) || gridKey(key);
        if (Watched->property(NumberEditorProperty).toBool())
            return ValueListEditor1KeyPress(key, true);
    }
    return QDialog::eventFilter(Watched, Event);
}

void TfTelZoznam::resizeEvent(QResizeEvent *Event)
{
    QDialog::resizeEvent(Event);
    FormResize();
}

void TfTelZoznam::FormResize()
{
    const int third = width() / 3;
    const int gap = (width() - 2 * third) / 3;
    bOK->setGeometry(gap, 8, third, 25);
    bCancel->setGeometry(2 * gap + third, 8, third, 25);
}

PhoneBook::TWriteResult EditPhoneBook(QWidget *Owner, TPult &Console)
{
    TfTelZoznam dialog(Owner);
    dialog.setWindowTitle(LoadStrDll(230));
    dialog.bOK->setText(LoadStrDll(31));
    dialog.bCancel->setText(LoadStrDll(30));
    dialog.SetTitles(LoadStrDll(231), LoadStrDll(232));
    QList<PhoneBook::TRow> rows = PhoneBook::RowsOf(Console);
    PhoneBook::SortRows(rows);
    dialog.SetRows(rows);
    const int result = TfTelZoznam::Exec ? TfTelZoznam::Exec(dialog) : dialog.exec();
    if (result != TelZoznamOK)
        return {};
    return PhoneBook::WriteRows(Console, dialog.Rows());
}
