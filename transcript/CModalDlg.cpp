#include "transcript/CModalDlg.h"

#include "app/AppContext.h"
#include "app/Prompt.h"
#include "net/ServerConventions.h"
#include "transcript/CInputDlg.h"
#include "transcript/Keywords.h"
#include "transcript/TextRules.h"
#include "transcript/TranscriptTextEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kDefaultSize = 1; // "五号"
// The template text is shown one and a half times its nominal size
// (30 twentieths of a point per point).
constexpr double kScreenScale = 30.0 / 20.0;

// Colours the template's lines: answers (and lines with options) dark blue,
// questions dark red, other lines as the line above. The block state carries
// the kind, so an edit re-colours only what it changes.
class TemplateHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

    void setColouring(bool on) {
        m_colouring = on;
        rehighlight();
    }

protected:
    void highlightBlock(const QString& text) override {
        const TemplateLine above =
            previousBlockState() == 1 ? TemplateLine::Answer : TemplateLine::Question;
        const TemplateLine kind = TemplateLineOf(text, above);
        setCurrentBlockState(kind == TemplateLine::Answer ? 1 : 0);
        QColor colour = Qt::black;
        if (m_colouring)
            colour = kind == TemplateLine::Answer ? QColor(0, 0, 128) : QColor(128, 0, 0);
        setFormat(0, int(text.size()), colour);
    }

private:
    bool m_colouring = true;
};

} // namespace

// The template text area: plain text, ruled lines, and a small menu on the
// release of the right button.
class TemplateTextEdit : public QTextEdit {
public:
    explicit TemplateTextEdit(QWidget* parent) : QTextEdit(parent) {
        setAcceptRichText(false);
        setContextMenuPolicy(Qt::PreventContextMenu);
        m_highlighter = new TemplateHighlighter(document());
    }

    TemplateHighlighter* highlighter() const { return m_highlighter; }
    void setRuledLines(bool on) {
        m_ruled = on;
        viewport()->update();
    }

    std::unique_ptr<QMenu> editMenu() {
        auto menu = std::make_unique<QMenu>(this);
        menu->addAction(QStringLiteral("复制"), this,
                        [this] { QGuiApplication::clipboard()->setText(selectedPlainText()); });
        menu->addAction(QStringLiteral("粘贴"), this, [this] {
            const QString text = QGuiApplication::clipboard()->text();
            if (!text.isEmpty())
                insertPlainText(text);
        });
        menu->addAction(QStringLiteral("剪切"), this, [this] {
            QGuiApplication::clipboard()->setText(selectedPlainText());
            textCursor().removeSelectedText();
        });
        return menu;
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            editMenu()->exec(event->globalPosition().toPoint());
            return;
        }
        QTextEdit::mouseReleaseEvent(event);
    }

    void paintEvent(QPaintEvent* event) override {
        QTextEdit::paintEvent(event);
        if (m_ruled)
            PaintRuledLines(*this);
    }

private:
    QString selectedPlainText() const {
        return textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }

    TemplateHighlighter* m_highlighter = nullptr;
    bool m_ruled = true;
};

CModalDlg::CModalDlg(Database& db, ModalMode mode, QWidget* parent)
    : FramedDialog(parent, AllPieces), m_db(db), m_mode(mode) {
    setObjectName("CModalDlg");
    setTitleText(QStringLiteral("模板管理"));
    m_askName = [](QWidget* owner) {
        return CInputDlg::ask(owner, QStringLiteral("添加模板"), QStringLiteral("模板名称："));
    };
    m_openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    auto* left = new QWidget(body());
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto* hint = new QLabel(QStringLiteral("双击选中并套用该模板"), left);
    hint->setObjectName("treeHint");
    m_tree = new QTreeWidget(left);
    m_tree->setObjectName("templateTree");
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    leftLayout->addWidget(hint);
    leftLayout->addWidget(m_tree, 1);
    left->setFixedWidth(240);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(10);
    columns->addWidget(left);
    columns->addWidget(makeTextPanel(body()), 1);
    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(10);
    layout->addLayout(columns, 1);
    layout->addWidget(makeButtonRow(body()));

    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { onCurrentItemChanged(item); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { pickItem(item); });
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* item = m_tree->itemAt(pos);
        if (!item)
            return;
        m_tree->setCurrentItem(item);
        if (auto menu = treeMenu(item))
            menu->exec(m_tree->viewport()->mapToGlobal(pos));
    });

    resize(960, 640);
    buildTree();
    applyFormat();
}

CModalDlg::~CModalDlg() = default;

void CModalDlg::RunManager(QWidget* parent) {
    Database db(SystemDb());
    CModalDlg dlg(db, ModalMode::Manage, parent);
    dlg.exec();
}

QWidget* CModalDlg::makeTextPanel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* tools = new QHBoxLayout;
    auto* sizeLabel = new QLabel(QStringLiteral("字体大小"), panel);
    m_sizes = new QComboBox(panel);
    m_sizes->setObjectName("sizeList");
    for (const textrules::TextSize& size : textrules::TextSizes())
        m_sizes->addItem(size.name);
    m_sizes->setCurrentIndex(kDefaultSize);
    sizeLabel->setBuddy(m_sizes);
    m_colours = new QCheckBox(QStringLiteral("颜色区分"), panel);
    m_colours->setObjectName("colourBox");
    m_colours->setChecked(true);
    m_ruled = new QCheckBox(QStringLiteral("下划线"), panel);
    m_ruled->setObjectName("ruledBox");
    m_ruled->setChecked(true);
    tools->addWidget(sizeLabel);
    tools->addWidget(m_sizes);
    tools->addSpacing(16);
    tools->addWidget(m_colours);
    tools->addWidget(m_ruled);
    tools->addStretch();

    m_text = new TemplateTextEdit(panel);
    m_text->setObjectName("templateText");
    layout->addLayout(tools);
    layout->addWidget(m_text, 1);

    connect(m_sizes, &QComboBox::currentIndexChanged, this, [this] { applyFormat(); });
    connect(m_colours, &QCheckBox::clicked, this, [this] { applyFormat(); });
    connect(m_ruled, &QCheckBox::toggled, m_text, &TemplateTextEdit::setRuledLines);
    return panel;
}

QWidget* CModalDlg::makeButtonRow(QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto makeButton = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, row);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(100);
        layout->addWidget(b);
        return b;
    };
    connect(makeButton("helpButton", QStringLiteral("自动填写说明")), &QPushButton::clicked, this,
            &CModalDlg::showKeywordHelp);
    layout->addStretch();
    connect(makeButton("saveButton", QStringLiteral("保存")), &QPushButton::clicked, this,
            &CModalDlg::saveTemplate);
    m_loadButton = makeButton("loadButton", QStringLiteral("加载"));
    m_loadButton->setVisible(m_mode == ModalMode::Choose);
    connect(m_loadButton, &QPushButton::clicked, this, &CModalDlg::load);
    connect(makeButton("exitButton", QStringLiteral("退出")), &QPushButton::clicked, this,
            &QDialog::reject);
    return row;
}

QTextEdit* CModalDlg::textArea() const {
    return m_text;
}

void CModalDlg::buildTree() {
    // Rebuilding moves the current item; that must not load or forget anything.
    QSignalBlocker block(m_tree);
    m_tree->clear();
    for (const TemplateGroup& group : m_store.groups()) {
        auto* groupItem = new QTreeWidgetItem(m_tree, QStringList{group.name});
        for (const QString& name : group.templates)
            new QTreeWidgetItem(groupItem, QStringList{name});
    }
    m_tree->expandAll();
    m_tree->setCurrentItem(nullptr);
}

QTreeWidgetItem* CModalDlg::findItem(const QString& group, const QString& name) const {
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem* groupItem = m_tree->topLevelItem(g);
        if (groupItem->text(0) != group)
            continue;
        if (name.isEmpty())
            return groupItem;
        for (int t = 0; t < groupItem->childCount(); ++t)
            if (groupItem->child(t)->text(0) == name)
                return groupItem->child(t);
    }
    return nullptr;
}

void CModalDlg::selectTemplate(const QString& group, const QString& name) {
    if (QTreeWidgetItem* item = findItem(group, name))
        m_tree->setCurrentItem(item);
}

void CModalDlg::onCurrentItemChanged(QTreeWidgetItem* item) {
    m_text->clear();
    // A group shows nothing and leaves no template selected, so "保存" cannot
    // write into a template that is no longer on screen.
    m_name.clear();
    m_group.clear();
    if (!item || !item->parent()) {
        if (item)
            m_group = item->text(0);
        return;
    }
    m_name = item->text(0);
    m_group = item->parent()->text(0);
    m_text->setPlainText(m_store.read(m_group, m_name).content);
    applyFormat();
}

void CModalDlg::applyFormat() {
    const auto& sizes = textrules::TextSizes();
    const int index = std::clamp(m_sizes->currentIndex(), 0, int(sizes.size()) - 1);
    QFont font(textrules::kDefaultFace);
    font.setPointSizeF(sizes[size_t(index)].points * kScreenScale);
    m_text->document()->setDefaultFont(font);
    m_text->highlighter()->setColouring(m_colours->isChecked());
}

void CModalDlg::showOutcome(const Outcome& out) {
    for (const QString& text : out.messages)
        Messages().show(this, text, out.failed ? Prompt::Icon::Warning : Prompt::Icon::Information);
}

std::unique_ptr<QMenu> CModalDlg::treeMenu(QTreeWidgetItem* item) {
    if (!item)
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    if (!item->parent()) {
        menu->addAction(QStringLiteral("添加"), this, &CModalDlg::addTemplate);
    } else {
        menu->addAction(QStringLiteral("删除"), this, &CModalDlg::deleteTemplate);
        // Sharing is offered by the record server's page; the item itself does nothing.
        menu->addAction(QStringLiteral("共享"));
    }
    return menu;
}

void CModalDlg::addTemplate() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || item->parent())
        return;
    const QString group = item->text(0);
    const QString name = m_askName ? m_askName(this) : QString();
    if (name.isEmpty())
        return;
    const Outcome out = m_store.add(group, name);
    showOutcome(out);
    if (out.changed) {
        buildTree();
        selectTemplate(group, name);
    }
}

void CModalDlg::deleteTemplate() {
    if (m_name.isEmpty())
        return;
    if (const QString refusal = TemplateStore::deleteRefusal(m_name); !refusal.isEmpty()) {
        Messages().show(this, refusal, Prompt::Icon::Warning);
        return;
    }
    if (!Messages().okCancel(this, TemplateStore::deleteQuestion()))
        return;
    const Outcome out = m_store.remove(m_group, m_name);
    showOutcome(out);
    if (out.changed) {
        m_text->clear();
        m_name.clear();
        m_group.clear();
        buildTree();
    }
}

void CModalDlg::saveTemplate() {
    showOutcome(m_store.save(m_group, m_name, m_text->toPlainText()));
}

void CModalDlg::showKeywordHelp() {
    m_text->setPlainText(KeywordHelpText());
    applyFormat();
    // The help text is not a template: "保存" must not write it anywhere.
    m_name.clear();
}

void CModalDlg::pickItem(QTreeWidgetItem* item) {
    if (!item || !item->parent())
        return;
    if (m_tree->currentItem() != item)
        m_tree->setCurrentItem(item);
    m_picked = PickedTemplate{item->parent()->text(0), item->text(0), m_text->toPlainText()};
    accept();
}

QUrl CModalDlg::sharedTemplatesUrl() {
    const std::string url = ReadServerSettings(ProgramDir()).url("/jyx_template");
    return url.empty() ? QUrl() : QUrl(QString::fromStdString(url));
}

void CModalDlg::load() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item)
        return;
    if (item->text(0).contains(QStringLiteral("共享模板"))) {
        const QUrl url = sharedTemplatesUrl();
        if (url.isEmpty())
            Messages().show(this, QStringLiteral("没有设置记录服务器地址！"),
                            Prompt::Icon::Warning);
        else if (m_openUrl)
            m_openUrl(url);
        return;
    }
    pickItem(item);
}
