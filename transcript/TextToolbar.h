// The text tools above the transcript text: the face list, the size list,
// "颜色区分", "下划线" and the seven command buttons (cut, copy, paste, delete,
// undo, redo, find).
//
// How CJyxMakeDlg uses it: create it, call attach(textEdit) once; it sets the
// text's face "宋体", size "小四", ticks both boxes and wires every control to
// the text area. The dialog may place the whole bar above the text, or take
// the parts (faceBox(), sizeBox(), colourBox(), ruledBox(), commandBar()) into
// its own layout. faceChanged/pointSizeChanged report the print face and size.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QToolBar;
class QAction;
class TranscriptTextEdit;

class TextToolbar : public QWidget {
    Q_OBJECT
public:
    explicit TextToolbar(QWidget* parent = nullptr);

    void attach(TranscriptTextEdit* text);

    QComboBox* faceBox() const { return m_face; }
    QComboBox* sizeBox() const { return m_size; }
    QCheckBox* colourBox() const { return m_colour; }
    QCheckBox* ruledBox() const { return m_ruled; }
    QToolBar* commandBar() const { return m_bar; }

    // Selects the size list entry with these points (the print face and size
    // handed back by the print dialog); unknown sizes are set on the text only.
    void selectFace(const QString& face);
    void selectPointSize(double points);

signals:
    void faceChanged(const QString& face);
    void pointSizeChanged(double points);

private:
    void fillFaces();
    void fillSizes();
    void buildCommands();

    TranscriptTextEdit* m_text = nullptr;
    QComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_colour = nullptr;
    QCheckBox* m_ruled = nullptr;
    QToolBar* m_bar = nullptr;
};
