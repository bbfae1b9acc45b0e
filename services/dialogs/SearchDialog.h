#pragma once

#include "Dialogs.h"
#include "SearchText.h"
#include "toolkit/TouchForm.h"

#include <QTimer>
#include <chrono>

class QLabel;
class QLineEdit;
class QTableView;

namespace zel {

class SearchModel;

// The search dialog. It lists the rows the dataset's filter lets through, one column per
// visible field under its display label (every field when none is visible). Typing — on the
// on-screen keyboard or a physical one — narrows the list to the rows that contain the text
// in any column, regardless of case and accents; Backspace corrects and Delete clears it.
// Up, Down, Page Up, Page Down and the arrow buttons move the selection; Enter, "Selecionar"
// or a double tap picks the selected row; Escape or "Cancelar" closes without a pick.
class SearchDialog : public TouchForm
{
    Q_OBJECT
public:
    SearchDialog(DataSet& dataSet, const QString& picture, const FieldText& fieldText,
                 QWidget* parent = nullptr);
    ~SearchDialog() override;

    // Shows the dialog modally. True: the dataset's cursor stands on the picked row. False:
    // closed without a pick, the cursor back where it was. Throws DataSetError when the
    // dataset is not open.
    bool run();

    QString typed() const { return m_typed; }
    int shownRows() const;
    // Every row's texts are gathered for typing (done while the dialog waits for a key).
    bool gathered() const { return m_index.size() >= m_total; }

protected:
    void FormKeyDown(QKeyEvent* event) override;
    void FormKeyPress(QChar key) override;

private:
    void load();
    void narrow();
    void showCount();
    QStringList textsOfCurrentRow() const;
    QString rowText(int row, int column) const;
    // Gathers the texts of further rows for typing for about `budget`; true once all are.
    bool indexSome(std::chrono::nanoseconds budget);
    void moveSelection(int delta);
    void pick();
    int selectedRow() const;
    int pageRows() const;

    DataSet& m_dataSet;
    FieldText m_fieldText;
    static constexpr std::chrono::milliseconds kIndexSlice{4};

    QList<FieldDef> m_fields;
    SearchIndex m_index;
    int m_total = 0;
    QTimer m_indexing;
    QString m_typed;
    int m_pickedRecNo = 0;
    SearchModel* m_model = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_count = nullptr;
    QTableView* m_table = nullptr;
};

// Moves the cursor to the `recNo`-th visible row (1-based).
void moveToRecNo(DataSet& dataSet, int recNo);

} // namespace zel
