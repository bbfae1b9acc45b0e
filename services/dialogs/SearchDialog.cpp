#include "SearchDialog.h"

#include "DialogLook.h"
#include "TouchKeypad.h"
#include "dataset/DataSet.h"
#include "dialogs/DialogTexts.h"
#include "toolkit/ErrorBarrier.h"
#include "toolkit/TouchButton.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <algorithm>
#include <functional>

namespace zel {

// The rows shown, served as the view asks for them: only the rows on screen are ever asked for
// their texts. A narrowing changes the row count and the rows' contents; the view keeps its
// header, selection model and geometry instead of starting over.
class SearchModel : public QAbstractTableModel
{
public:
    using Texts = std::function<QString(int row, int column)>;

    SearchModel(QObject* parent, Texts texts) : QAbstractTableModel(parent), m_texts(std::move(texts)) {}

    // Every one of `total` rows, in order.
    void showAll(QStringList headers, int total)
    {
        beginResetModel();
        m_headers = std::move(headers);
        m_total = total;
        m_all = true;
        m_shown.clear();
        endResetModel();
    }

    void show(QList<int> shown)
    {
        const int before = rowCount();
        const int after = int(shown.size());
        if (after < before)
            beginRemoveRows({}, after, before - 1);
        else if (after > before)
            beginInsertRows({}, before, after - 1);
        m_shown = std::move(shown);
        m_all = false;
        if (after < before)
            endRemoveRows();
        else if (after > before)
            endInsertRows();
        if (after > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1), {Qt::DisplayRole});
    }

    // The row's position among the dataset's rows (0-based).
    int sourceRow(int row) const { return m_all ? row : m_shown[row]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : (m_all ? m_total : int(m_shown.size()));
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_headers.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return {};
        return m_texts(sourceRow(index.row()), index.column());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section < m_headers.size())
            return m_headers[section];
        return {};
    }

private:
    Texts m_texts;
    QStringList m_headers;
    bool m_all = true;
    int m_total = 0;
    QList<int> m_shown;
};

void moveToRecNo(DataSet& dataSet, int recNo)
{
    if (recNo < 1)
        dataSet.first();
    else
        dataSet.setRecNo(recNo);
}

SearchDialog::SearchDialog(DataSet& dataSet, const QString& picture, const FieldText& fieldText,
                           QWidget* parent)
    : TouchForm(parent), m_dataSet(dataSet), m_fieldText(fieldText)
{
    setObjectName(QStringLiteral("frmPesquisa"));
    setBackgroundPicture(picture);
    const QSize room = look::screenRoom();
    setFixedSize(std::min(780, room.width() - 20), std::min(580, room.height() - 20));

    QFrame* panel = look::framePanel(this);
    if (!backgroundPicture().isNull())
        panel->setStyleSheet(
            QStringLiteral("QFrame#panFundo { background: transparent; border: 2px solid #37474F; }"));
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(2, 2, 2, 10);
    column->setSpacing(8);
    column->addWidget(look::titleBand(dialogText("TituloPesquisa"), look::kSlate, panel));

    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(12, 0, 12, 0);
    m_search = new QLineEdit(panel);
    m_search->setObjectName(QStringLiteral("edtPesquisa"));
    m_search->setReadOnly(true);
    m_search->setFocusPolicy(Qt::NoFocus);
    m_search->setFont(look::font(16, true));
    m_search->setMinimumHeight(44);
    m_search->setPlaceholderText(dialogText("DigitePesquisa"));
    m_count = new QLabel(panel);
    m_count->setObjectName(QStringLiteral("lblQuantidade"));
    m_count->setFont(look::font(12));
    m_count->setMinimumWidth(110);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_count);
    column->addLayout(searchRow);

    auto* listRow = new QHBoxLayout;
    listRow->setContentsMargins(12, 0, 12, 0);
    m_model = new SearchModel(this, [this](int row, int column) { return rowText(row, column); });
    m_table = new QTableView(panel);
    m_table->setObjectName(QStringLiteral("grdPesquisa"));
    m_table->setModel(m_model);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setFont(look::font(13));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(40);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setFont(look::font(12, true));
    m_table->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: 28px; } QScrollBar:horizontal { height: 24px; }"));
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this] { pick(); });
    listRow->addWidget(m_table, 1);
    auto* arrows = new QVBoxLayout;
    TTouchButton* up =
        look::button(QStringLiteral("\u25B2"), QStringLiteral("tcbAnterior"), look::kSlate, panel, 64, 64);
    TTouchButton* down =
        look::button(QStringLiteral("\u25BC"), QStringLiteral("tcbProximo"), look::kSlate, panel, 64, 64);
    up->setHint(dialogText("DicaPaginaAnterior"));
    down->setHint(dialogText("DicaProximaPagina"));
    connect(up, &QAbstractButton::clicked, this, [this] { moveSelection(-pageRows()); });
    connect(down, &QAbstractButton::clicked, this, [this] { moveSelection(pageRows()); });
    arrows->addWidget(up);
    arrows->addStretch(1);
    arrows->addWidget(down);
    listRow->addLayout(arrows);
    column->addLayout(listRow, 1);

    auto* lower = new QHBoxLayout;
    lower->setContentsMargins(12, 0, 12, 0);
    lower->addWidget(new TouchKeypad(this, alphanumericKeys(), QSize(52, 46), panel));
    lower->addStretch(1);
    auto* actions = new QVBoxLayout;
    TTouchButton* ok =
        look::button(dialogText("BotaoSelecionar"), QStringLiteral("tcbOk"), look::kGreen, panel, 130, 64);
    TTouchButton* cancel =
        look::button(dialogText("BotaoCancelar"), QStringLiteral("tcbCancelar"), look::kRed, panel, 130, 64);
    actions->addStretch(1);
    actions->addWidget(ok);
    actions->addWidget(cancel);
    lower->addLayout(actions);
    column->addLayout(lower);
    connect(ok, &QAbstractButton::clicked, this, [this] { pick(); });
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);

    // The texts for typing are gathered a slice at a time while the dialog waits for the
    // operator, so that it opens at once however many rows there are.
    m_indexing.setInterval(0);
    connect(&m_indexing, &QTimer::timeout, this, [this] {
        // A row whose texts cannot be read is shown as an error once; the rest waits for a key.
        bool done = true;
        guard([&] { done = indexSome(kIndexSlice); });
        if (done)
            m_indexing.stop();
    });
}

SearchDialog::~SearchDialog() = default;

void SearchDialog::load()
{
    if (!m_dataSet.active())
        throw DataSetError("A pesquisa precisa de uma tabela aberta.");
    m_fields.clear();
    for (const FieldDef& f : m_dataSet.fieldDefs()) {
        if (f.visible)
            m_fields.append(f);
    }
    if (m_fields.isEmpty())
        m_fields = m_dataSet.fieldDefs();
    QStringList headers;
    for (const FieldDef& f : m_fields)
        headers.append(f.label());

    m_total = m_dataSet.recordCount();
    m_index = SearchIndex(int(m_fields.size()));
    m_typed.clear();
    m_model->showAll(headers, m_total);
    m_table->resizeColumnsToContents();
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_table->setColumnWidth(c, std::min(m_table->columnWidth(c) + 16, 420));
    showCount();
    if (m_total > 0)
        m_table->selectRow(0);
    m_indexing.start();
}

QStringList SearchDialog::textsOfCurrentRow() const
{
    QStringList texts;
    texts.reserve(m_fields.size());
    for (const FieldDef& f : m_fields)
        texts.append(m_fieldText ? m_fieldText(m_dataSet, f) : fieldDisplayText(m_dataSet.value(f.name), f));
    return texts;
}

QString SearchDialog::rowText(int row, int column) const
{
    if (row < m_index.size())
        return m_index.text(row, column);
    // Not gathered yet: read from the dataset (only the rows on screen come here).
    m_dataSet.setRecNo(row + 1);
    const FieldDef& f = m_fields[column];
    return m_fieldText ? m_fieldText(m_dataSet, f) : fieldDisplayText(m_dataSet.value(f.name), f);
}

bool SearchDialog::indexSome(std::chrono::nanoseconds budget)
{
    if (m_index.size() >= m_total)
        return true;
    QElapsedTimer spent;
    spent.start();
    m_dataSet.setRecNo(m_index.size() + 1);
    while (m_index.size() < m_total) {
        m_index.append(textsOfCurrentRow());
        m_dataSet.next();
        if ((m_index.size() & 63) == 0 && spent.nsecsElapsed() >= budget.count())
            break;
    }
    return m_index.size() >= m_total;
}

bool SearchDialog::run()
{
    const int original = m_dataSet.recNo();
    load();
    m_pickedRecNo = 0;
    exec();
    m_indexing.stop();
    if (m_pickedRecNo > 0) {
        moveToRecNo(m_dataSet, m_pickedRecNo);
        return true;
    }
    moveToRecNo(m_dataSet, original);
    return false;
}

int SearchDialog::shownRows() const
{
    return m_model->rowCount();
}

void SearchDialog::showCount()
{
    m_search->setText(m_typed);
    m_count->setText(dialogText("ContagemLinhas").arg(m_model->rowCount()).arg(m_total));
}

void SearchDialog::narrow()
{
    // A key typed before every row was gathered waits for the rest.
    if (indexSome(std::chrono::nanoseconds::max()))
        m_indexing.stop();
    m_model->show(m_index.narrow(m_typed));
    showCount();
    if (m_model->rowCount() > 0) {
        m_table->selectRow(0);
        m_table->scrollToTop();
    }
}

int SearchDialog::selectedRow() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int SearchDialog::pageRows() const
{
    const int rowHeight = std::max(1, m_table->verticalHeader()->defaultSectionSize());
    return std::max(1, m_table->viewport()->height() / rowHeight - 1);
}

void SearchDialog::moveSelection(int delta)
{
    const int count = m_model->rowCount();
    if (count == 0)
        return;
    const int row = std::clamp(std::max(0, selectedRow()) + delta, 0, count - 1);
    m_table->selectRow(row);
    m_table->scrollTo(m_model->index(row, 0));
}

void SearchDialog::pick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_pickedRecNo = m_model->sourceRow(row) + 1;
    accept();
}

void SearchDialog::FormKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (!m_typed.isEmpty()) {
            m_typed.chop(1);
            narrow();
        }
        break;
    case Qt::Key_Delete:
        if (!m_typed.isEmpty()) {
            m_typed.clear();
            narrow();
        }
        break;
    case Qt::Key_Up:
        moveSelection(-1);
        break;
    case Qt::Key_Down:
        moveSelection(1);
        break;
    case Qt::Key_PageUp:
        moveSelection(-pageRows());
        break;
    case Qt::Key_PageDown:
        moveSelection(pageRows());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pick();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    default:
        break;
    }
}

void SearchDialog::FormKeyPress(QChar key)
{
    if (!key.isPrint())
        return;
    m_typed.append(key);
    narrow();
}

} // namespace zel
