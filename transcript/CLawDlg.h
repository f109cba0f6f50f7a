// The law lookup window "法规查询": searches the laws of the program's law
// folder by text or by article number, lists the laws with results and shows
// their passages with the search text in red. The editor keeps one modeless
// instance; the pop-up menus run a fresh one modally.
#pragma once

#include "text/FramedDialog.h"
#include "transcript/LawSearch.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTextEdit;

class CLawDlg : public FramedDialog {
    Q_OBJECT
public:
    // `lawFolder` is the program's law folder.
    CLawDlg(QWidget* parent, const QString& lawFolder);
    ~CLawDlg() override;

    // Runs a fresh lookup modally (the pop-up menus' "法规查询").
    static void RunModal(QWidget* parent, const QString& lawFolder);

    // Set by "复制并插入到笔录". The editor takes it when it shows the window
    // again: true once per request, so a later showing does not paste again.
    bool takeInsertRequest();

    // The search of the "查询（R)" button; the result arrives asynchronously
    // (searchFinished) unless the input is refused or empty.
    void search();
    bool searching() const { return m_worker != nullptr; }
    const std::vector<law::LawResult>& results() const { return m_results; }
    void showResult(int row);
    QTextEdit* resultView() const { return m_result; }

signals:
    void searchFinished();
    // "复制并插入到笔录": the selection is on the clipboard for the editor to paste.
    void insertRequested();

private slots:
    void copyAndInsert();

private:
    void buildControls();
    void setMode(law::Mode mode);
    void finishSearch(std::vector<law::LawResult> results);
    void stopWorker();
    void highlight(const QString& text);
    void showResultMenu(const QPoint& pos);
    void copySelection();

    QString m_folder;
    std::vector<law::LawFile> m_laws;
    std::vector<law::LawResult> m_results;
    std::shared_ptr<law::LawTextCache> m_cache = std::make_shared<law::LawTextCache>();
    bool m_insertRequested = false;

    QComboBox* m_lawNames = nullptr;
    QRadioButton* m_byContent = nullptr;
    QRadioButton* m_byArticle = nullptr;
    QLabel* m_contentLabel = nullptr;
    QLineEdit* m_content = nullptr;
    QWidget* m_articleRow = nullptr;
    QLineEdit* m_article = nullptr;
    QPushButton* m_searchButton = nullptr;
    QLabel* m_listLabel = nullptr;
    QListWidget* m_list = nullptr;
    QTextEdit* m_result = nullptr;
    QProgressBar* m_progress = nullptr;

    std::unique_ptr<std::thread> m_worker;
    std::atomic<bool> m_cancel{false};
};
