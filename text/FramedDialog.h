// The common dialog frame: rounded corners, a top band that drags the window,
// the frame-blue band with the logo and the title, a close button, and a
// frame-blue border. Each dialog picks the pieces it uses.
#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QToolButton;
class QVBoxLayout;

inline const QColor kFrameBlue(22, 130, 220);

class FramedDialog : public QDialog {
    Q_OBJECT
public:
    enum Piece {
        RoundCorners = 0x01, // 15 x 15 rounded window corners
        DragBand = 0x02,     // pressing and dragging in the top band moves the window
        TitleText = 0x04,    // the title drawn white, 18 px, weight 600, "宋体", in the band
        BandPaint = 0x08,    // the band filled frame blue, the logo drawn at the top left
        FramePaint = 0x10,   // a frame-blue border around the window
        CloseButton = 0x20,  // a close button at the top right that cancels the dialog
        AllPieces = 0x3F,
    };

    FramedDialog(QWidget* parent, int pieces, int bandHeight = 42);

    void setTitleText(const QString& title);
    // Hides the window while it runs another dialog. QDialog::hide() would
    // also end a running exec(), closing the window for good once the other
    // dialog returns; this keeps the run going until the window is shown again.
    void hideDuringChild() { QWidget::setVisible(false); }
    QString titleText() const;
    int bandHeight() const { return m_bandHeight; }
    // A centred row of "确定" (the default button, named okButton) and "取消"
    // (cancelButton, which rejects the dialog); `onOk` runs on "确定".
    QWidget* okCancelRow(const std::function<void()>& onOk);
    // The area below the band; dialogs put their controls into its layout.
    QWidget* body() const { return m_body; }
    QVBoxLayout* bodyLayout() const;
    QToolButton* closeButton() const { return m_close; }
    // With the painted band, the strip from 10 pixels above the dialog's own
    // closing button ("退出"/"取消") down to the bottom edge is painted frame
    // blue as well, so the button row sits on a band like the title.
    void setClosingButton(QWidget* button) { m_closing = button; }
    // Whether a point in widget coordinates lies in the drag band.
    bool inDragBand(const QPoint& p) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Dialogs that paint their own band override this (called before children paint).
    virtual void paintBand(QPainter& painter);

private:
    int m_pieces;
    int m_bandHeight;
    QString m_title;
    QWidget* m_body = nullptr;
    QToolButton* m_close = nullptr;
    QWidget* m_closing = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
