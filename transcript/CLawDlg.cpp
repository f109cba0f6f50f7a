#include "transcript/CLawDlg.h"

#include "app/Prompt.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include <utility>

namespace {
// "宋体", 264 twips (13.2 points), the default of both text areas.
QFont DefaultLawFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(264 / 20.0);
    return font;
}
} // namespace

CLawDlg::CLawDlg(QWidget* parent, const QString& lawFolder)
    : FramedDialog(parent, AllPieces), m_folder(lawFolder), m_laws(law::ListLawFiles(lawFolder)) {
    setObjectName("CLawDlg");
    setTitleText(QStringLiteral("法规查询"));
    buildControls();
    setMode(law::Mode::Content);
    resize(900, 640);
}

CLawDlg::~CLawDlg() {
    stopWorker();
}

void CLawDlg::RunModal(QWidget* parent, const QString& lawFolder) {
    CLawDlg dialog(parent, lawFolder);
    dialog.exec();
}

void CLawDlg::buildControls() {
    auto* form = new QWidget(body());
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);

    m_lawNames = new QComboBox(form);
    m_lawNames->setObjectName("lawNames");
    m_lawNames->addItem(QString::fromUtf8(law::kAllLaws));
    for (const law::LawFile& file : m_laws)
        m_lawNames->addItem(file.name);
    auto* nameLabel = new QLabel(QStringLiteral("法规名称："), form);
    nameLabel->setBuddy(m_lawNames);

    m_byContent = new QRadioButton(QStringLiteral("按条文内容查询"), form);
    m_byContent->setObjectName("byContent");
    m_byArticle = new QRadioButton(QStringLiteral("按条款号查询"), form);
    m_byArticle->setObjectName("byArticle");
    connect(m_byContent, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setMode(law::Mode::Content);
    });
    connect(m_byArticle, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setMode(law::Mode::Article);
    });

    m_content = new QLineEdit(form);
    m_content->setObjectName("contentEdit");
    m_contentLabel = new QLabel(QStringLiteral("条文内容："), form);
    m_contentLabel->setBuddy(m_content);

    m_articleRow = new QWidget(form);
    auto* articleLayout = new QHBoxLayout(m_articleRow);
    articleLayout->setContentsMargins(0, 0, 0, 0);
    m_article = new QLineEdit(m_articleRow);
    m_article->setObjectName("articleEdit");
    m_article->setMaximumWidth(90);
    auto* hint = new QLabel(QStringLiteral("请输入阿拉伯数字"), m_articleRow);
    hint->setStyleSheet(QStringLiteral("color: red; background: rgb(220,220,220); padding: 2px;"));
    articleLayout->addWidget(new QLabel(QStringLiteral("第"), m_articleRow));
    articleLayout->addWidget(m_article);
    articleLayout->addWidget(new QLabel(QStringLiteral("条"), m_articleRow));
    articleLayout->addWidget(hint);
    articleLayout->addStretch();

    m_searchButton = new QPushButton(QStringLiteral("查询（R)"), form);
    m_searchButton->setObjectName("searchButton");
    m_searchButton->setDefault(true);
    m_searchButton->setShortcut(QKeySequence(QStringLiteral("Alt+R")));
    connect(m_searchButton, &QPushButton::clicked, this, &CLawDlg::search);

    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_lawNames, 0, 1);
    grid->addWidget(m_byContent, 0, 2);
    grid->addWidget(m_byArticle, 0, 3);
    grid->addWidget(m_contentLabel, 1, 0);
    grid->addWidget(m_content, 1, 1, 1, 3);
    grid->addWidget(m_articleRow, 1, 1, 1, 3);
    grid->addWidget(m_searchButton, 1, 4);
    grid->setColumnStretch(1, 1);

    m_progress = new QProgressBar(body());
    m_progress->setObjectName("searchProgress");
    m_progress->setFormat(QStringLiteral("正在查询 %v/%m"));
    m_progress->hide();

    auto* results = new QWidget(body());
    auto* resultLayout = new QHBoxLayout(results);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    auto* listColumn = new QVBoxLayout;
    m_listLabel = new QLabel(QStringLiteral("查询有结果的法规："), results);
    m_list = new QListWidget(results);
    m_list->setObjectName("lawList");
    m_listLabel->setBuddy(m_list);
    listColumn->addWidget(m_listLabel);
    listColumn->addWidget(m_list, 1);
    m_listLabel->hide();
    m_list->hide();
    connect(m_list, &QListWidget::currentRowChanged, this, &CLawDlg::showResult);

    m_result = new QTextEdit(results);
    m_result->setObjectName("resultText");
    m_result->setReadOnly(true);
    m_result->setFont(DefaultLawFont());
    m_result->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_result, &QTextEdit::customContextMenuRequested, this, &CLawDlg::showResultMenu);
    resultLayout->addLayout(listColumn, 1);
    resultLayout->addWidget(m_result, 3);

    bodyLayout()->addWidget(form);
    bodyLayout()->addWidget(m_progress);
    bodyLayout()->addWidget(results, 1);
    setTabOrder(m_lawNames, m_byContent);
    setTabOrder(m_byContent, m_byArticle);
    setTabOrder(m_byArticle, m_content);
    setTabOrder(m_content, m_article);
    setTabOrder(m_article, m_searchButton);
}

void CLawDlg::setMode(law::Mode mode) {
    const bool content = mode == law::Mode::Content;
    QSignalBlocker a(m_byContent), b(m_byArticle);
    m_byContent->setChecked(content);
    m_byArticle->setChecked(!content);
    m_contentLabel->setVisible(content);
    m_content->setVisible(content);
    m_articleRow->setVisible(!content);
    (content ? m_content : m_article)->setFocus();
}

void CLawDlg::search() {
    if (m_worker)
        return; // one search at a time; the button is disabled meanwhile
    m_result->clear();
    const law::Mode mode = m_byContent->isChecked() ? law::Mode::Content : law::Mode::Article;
    const law::SearchText text = law::BuildSearchText(
        mode, mode == law::Mode::Content ? m_content->text() : m_article->text());
    if (text.status == law::SearchText::Status::Empty)
        return;
    if (text.status != law::SearchText::Status::Ok) {
        Messages().show(this, text.message, Prompt::Icon::Warning);
        return;
    }
    m_listLabel->show();
    m_list->show();
    {
        QSignalBlocker block(m_list);
        m_list->clear();
    }
    m_results.clear();
    m_searchButton->setEnabled(false);
    m_progress->setRange(0, static_cast<int>(m_laws.size()));
    m_progress->setValue(0);
    m_progress->setVisible(!m_laws.empty());
    m_cancel = false;

    // Reading and searching the law files runs off the GUI thread; progress
    // and results come back as queued calls, dropped if the window is gone.
    m_worker = std::make_unique<std::thread>([this, laws = m_laws, searchText = text.text,
                                              chosen = m_lawNames->currentText(), cache = m_cache] {
        auto progress = [this](int done, int total) {
            QMetaObject::invokeMethod(
                this,
                [this, done, total] {
                    m_progress->setMaximum(total);
                    m_progress->setValue(done);
                },
                Qt::QueuedConnection);
        };
        auto results = law::SearchLaws(laws, searchText, chosen, progress, &m_cancel, cache.get());
        QMetaObject::invokeMethod(
            this,
            [this, results = std::move(results)]() mutable { finishSearch(std::move(results)); },
            Qt::QueuedConnection);
    });
}

void CLawDlg::finishSearch(std::vector<law::LawResult> results) {
    stopWorker();
    m_results = std::move(results);
    {
        QSignalBlocker block(m_list);
        for (const law::LawResult& r : m_results)
            m_list->addItem(r.name);
        m_list->setCurrentRow(-1); // the officer picks the law to show
    }
    m_progress->hide();
    m_searchButton->setEnabled(true);
    emit searchFinished();
}

void CLawDlg::stopWorker() {
    if (!m_worker)
        return;
    m_cancel = true;
    if (m_worker->joinable())
        m_worker->join();
    m_worker.reset();
}

void CLawDlg::showResult(int row) {
    if (row < 0 || row >= static_cast<int>(m_results.size()))
        return;
    m_result->setPlainText(m_results[static_cast<std::size_t>(row)].passages);
    highlight(m_content->text());
}

void CLawDlg::highlight(const QString& text) {
    if (text.isEmpty())
        return;
    QTextDocument* doc = m_result->document();
    QTextCharFormat red;
    red.setForeground(Qt::red);
    for (QTextCursor found = doc->find(text); !found.isNull(); found = doc->find(text, found))
        found.mergeCharFormat(red);
}

void CLawDlg::showResultMenu(const QPoint& pos) {
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("复制")), &QAction::triggered, this,
            &CLawDlg::copySelection);
    connect(menu.addAction(QStringLiteral("复制并插入到笔录")), &QAction::triggered, this,
            &CLawDlg::copyAndInsert);
    menu.exec(m_result->viewport()->mapToGlobal(pos));
}

void CLawDlg::copySelection() {
    const QString selected =
        m_result->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n');
    if (!selected.isEmpty())
        QApplication::clipboard()->setText(selected);
}

void CLawDlg::copyAndInsert() {
    copySelection();
    m_insertRequested = true;
    emit insertRequested();
    if (isModal())
        accept();
    else
        hide();
}

bool CLawDlg::takeInsertRequest() {
    return std::exchange(m_insertRequested, false);
}
