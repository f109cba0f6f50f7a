#include "print/CPrintFormat.h"

#include "app/Database.h"
#include "app/Prompt.h"
#include "print/PrintJob.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace fl = format_lists;

CPrintFormat::CPrintFormat(QWidget* parent, Database& db, const QString& typeName,
                           EditorLink toEditor)
    : FramedDialog(parent, AllPieces), m_db(db), m_toEditor(std::move(toEditor)) {
    setObjectName("CPrintFormat");
    setTitleText(QStringLiteral("打印格式设置"));

    m_tabs = new QTabBar(body());
    m_tabs->setObjectName("typeTabs");
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    for (const QString& t : fl::tabTypes())
        m_tabs->addTab(t);
    m_tabs->setCurrentIndex(fl::tabForType(typeName));

    m_grid = new QWidget(body());
    auto* grid = new QGridLayout(m_grid);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    m_font = addList("fontList", QStringLiteral("字体"), {}, 0, 0);
    m_size = addList("sizeList", QStringLiteral("字号"), fl::sizes(), 0, 2);
    m_distance = addList("distanceList", QStringLiteral("行距"), fl::distances(), 1, 0);
    m_blank = addList("blankList", QStringLiteral("空白行"), fl::printOrNot(), 1, 2);
    m_position =
        addList("pageNumPositionList", QStringLiteral("页码位置"), fl::pageNumPositions(), 2, 0);
    m_numerals = addList("pageNumFormatList", QStringLiteral("页码"), fl::numerals(), 2, 2);
    m_indent = addList("indentList", QStringLiteral("笔录内容进行缩进"), fl::indents(), 3, 0);
    m_askTimes = addList("askTimesList", QStringLiteral("询问次数"), fl::printOrNot(), 3, 2);
    m_askTimesFormat = new QComboBox(m_grid);
    m_askTimesFormat->setObjectName("askTimesFormatList");
    m_askTimesFormat->addItems(fl::numerals());
    grid->addWidget(m_askTimesFormat, 4, 3);
    m_endName = addList("endNameList", QStringLiteral("办案人签名"), fl::endNames(), 5, 0);
    m_lineStyle = addList("lineStyleList", QStringLiteral("笔录纸下横线"), fl::lineStyles(), 5, 2);
    m_nameTime = addList("nameTimeList", QStringLiteral("签名时间"), fl::printOrNot(), 6, 0);
    m_qr = addList("qrList", QStringLiteral("二维码"), fl::qrChoices(), 6, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确定"), body());
    ok->setObjectName("okButton");
    auto* cancel = new QPushButton(QStringLiteral("取消"), body());
    cancel->setObjectName("cancelButton");
    for (QPushButton* b : {ok, cancel}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    connect(ok, &QPushButton::clicked, this, &CPrintFormat::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    QVBoxLayout* layout = bodyLayout();
    layout->setSpacing(12);
    layout->addWidget(m_tabs);
    layout->addWidget(m_grid);
    layout->addStretch();
    layout->addLayout(buttons);

    display(PrintFormat());
    fillFonts();
    load();
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        setTitleText(QStringLiteral("打印格式_") + m_tabs->tabText(index));
        load();
    });
    resize(720, 440);
}

QComboBox* CPrintFormat::addList(const char* name, const QString& label, const QStringList& entries,
                                 int row, int column) {
    auto* grid = static_cast<QGridLayout*>(m_grid->layout());
    auto* list = new QComboBox(m_grid);
    list->setObjectName(name);
    list->addItems(entries);
    list->setMinimumWidth(150);
    auto* caption = new QLabel(label, m_grid);
    caption->setBuddy(list);
    grid->addWidget(caption, row, column, Qt::AlignRight);
    grid->addWidget(list, row, column + 1);
    return list;
}

void CPrintFormat::fillFonts() {
    // Fonts with Chinese (or lower-case) names only: no vertical "@" faces,
    // no names beginning with a capital letter.
    int song = -1;
    for (const QString& family : QFontDatabase::families()) {
        const QChar c = family.isEmpty() ? QChar() : family[0];
        if (c.isNull() || c == u'@' || (c >= u'A' && c <= u'Z'))
            continue;
        m_font->addItem(family);
        if (song < 0 && family == QStringLiteral("宋体"))
            song = m_font->count() - 1;
    }
    if (song >= 0)
        m_font->setCurrentIndex(song);
    // Font and size are shown, not chosen here.
    m_font->setEnabled(false);
    m_size->setEnabled(false);
}

void CPrintFormat::load() {
    display(LoadPrintFormat(m_db));
}

void CPrintFormat::display(const PrintFormat& f) {
    // The face names are fontconfig aliases, not families of their own; the
    // loaded name is added so that confirming writes it back unchanged.
    int font = m_font->findText(f.font);
    if (font < 0 && !f.font.isEmpty()) {
        m_font->insertItem(0, f.font);
        font = 0;
    }
    if (font >= 0)
        m_font->setCurrentIndex(font);
    m_size->setCurrentIndex(fl::sizeIndex(f.fontSize));
    m_distance->setCurrentIndex(fl::distanceIndex(f.distance));
    m_blank->setCurrentIndex(fl::yesNoIndex(f.isBlank));
    auto byIndex = [](QComboBox* list, int v) {
        list->setCurrentIndex(v >= 0 && v < list->count() ? v : -1);
    };
    byIndex(m_position, f.pageNumPosition);
    byIndex(m_numerals, f.pageNumFormat);
    byIndex(m_indent, f.indent);
    m_askTimes->setCurrentIndex(fl::yesNoIndex(f.askTimes));
    byIndex(m_askTimesFormat, f.askTimesFormat);
    byIndex(m_endName, f.endName);
    byIndex(m_lineStyle, f.lineStyle);
    byIndex(m_nameTime, f.nameTime);
    m_qr->setCurrentIndex(fl::yesNoIndex(f.qr));
}

PrintFormat CPrintFormat::shownFormat() const {
    PrintFormat f;
    f.font = m_font->currentText();
    f.fontSize = fl::sizeFromIndex(m_size->currentIndex());
    f.distance = fl::distanceFromIndex(m_distance->currentIndex());
    f.isBlank = fl::yesNoFromIndex(m_blank->currentIndex());
    f.pageNumPosition = std::max(0, m_position->currentIndex());
    f.pageNumFormat = std::max(0, m_numerals->currentIndex());
    f.indent = std::max(0, m_indent->currentIndex());
    f.askTimes = fl::yesNoFromIndex(m_askTimes->currentIndex());
    f.askTimesFormat = std::max(0, m_askTimesFormat->currentIndex());
    f.endName = std::max(0, m_endName->currentIndex());
    f.lineStyle = std::max(0, m_lineStyle->currentIndex());
    f.nameTime = std::max(0, m_nameTime->currentIndex());
    f.qr = fl::yesNoFromIndex(m_qr->currentIndex());
    return f;
}

void CPrintFormat::confirm() {
    const PrintFormat f = shownFormat();
    CurrentFormatValues& current = CurrentPrintFormat();
    current.font = f.font;
    current.indent = f.indent;
    current.isBlank = f.isBlank;
    if (!SavePrintFormat(m_db, f)) {
        Messages().show(this, QString::fromUtf8(print_text::kFormatFailed), Prompt::Icon::Warning);
        return;
    }
    Messages().show(this, QString::fromUtf8(print_text::kFormatSaved));
    if (m_toEditor)
        m_toEditor(2, f.fontSize);
}
