#include "TextTool.h"

#include "ChildWindow.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "GraphicsScene.h"
#include "GraphicsView.h"
#include "PenOptions.h"
#include "TextLayer.h"
#include "ToolContext.h"
#include "ToolSwatches.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QFontMetrics>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QKeyEvent>
#include <QTextCharFormat>
#include <QToolButton>
#include <QUndoStack>

namespace {

const QString kFontNameKey = QStringLiteral("textToolFontName");
const QString kFontSizeKey = QStringLiteral("textToolFontSize");

QStringList sizeEntries()
{
    QStringList sizes;
    for (int s = 1; s <= 15; ++s)
        sizes << QString::number(s);
    for (int s = 20; s <= 100; s += 5)
        sizes << QString::number(s);
    for (int s = 125; s <= 400; s += 25)
        sizes << QString::number(s);
    return sizes;
}

} // namespace

TextTool::TextTool(ToolContext &context, QObject *pParent)
    : BaseTool(context, pParent)
{
}

TextLayer *TextTool::EditLayer() const
{
    return m_pEditLayer;
}

QToolButton *TextTool::MakeStyleButton(const QString &icon, const QString &tip, void (TextTool::*slot)(bool))
{
    auto *pButton = new QToolButton;
    pButton->setCheckable(true);
    pButton->setIcon(QIcon(icon));
    pButton->setToolTip(tip);
    connect(pButton, &QToolButton::toggled, this, slot);
    return pButton;
}

void TextTool::Activate()
{
    m_family = context().Setting(kFontNameKey, QStringLiteral("Times New Roman")).toString();
    m_iPointSize = context().Setting(kFontSizeKey, m_iPointSize).toInt();

    AddOption(new QLabel(QStringLiteral("Font")));
    m_pFontBox = AddOption(new QFontComboBox);
    m_pFontBox->setEditable(false);
    m_pFontBox->setCurrentFont(QFont(m_family));
    AddOption(new QLabel(QStringLiteral("Point Size")));
    m_pSizeBox = AddOption(new QComboBox);
    m_pSizeBox->addItems(sizeEntries());
    m_pSizeBox->setEditable(true);
    // A typed size is applied as it stands; it does not join the list.
    m_pSizeBox->setInsertPolicy(QComboBox::NoInsert);
    m_pSizeBox->setCurrentIndex(m_pSizeBox->findText(QString::number(m_iPointSize)));
    if (m_pSizeBox->currentIndex() < 0)
        m_pSizeBox->setEditText(QString::number(m_iPointSize));

    m_pBold = MakeStyleButton(QStringLiteral(":/icons/text_bold.png"), QStringLiteral("bold"), &TextTool::BoldToggled);
    m_pItalic = MakeStyleButton(QStringLiteral(":/icons/text_italic.png"), QStringLiteral("italic"),
                                &TextTool::ItalicToggled);
    m_pStrikeout = MakeStyleButton(QStringLiteral(":/icons/text_strikethrough.png"), QStringLiteral("strike out"),
                                   &TextTool::StrikeoutToggled);
    m_pUnderline = MakeStyleButton(QStringLiteral(":/icons/text_underline.png"), QStringLiteral("underline"),
                                   &TextTool::UnderlineToggled);
    for (QToolButton *pButton : {m_pBold.data(), m_pItalic.data(), m_pUnderline.data(), m_pStrikeout.data()})
        AddOption(pButton);

    // Connected once the first values are shown: activation changes nothing.
    connect(m_pSizeBox, &QComboBox::currentIndexChanged, this, [this](int iIndex) {
        if (iIndex >= 0)
            FontSizeChanged(m_pSizeBox->itemText(iIndex));
    });
    connect(m_pSizeBox->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { FontSizeChanged(m_pSizeBox->currentText()); });
    connect(m_pFontBox, &QFontComboBox::currentFontChanged, this, &TextTool::CurrentFontChanged);

    ToolSwatches *pSwatches = context().Swatches();
    QWidget *pSwatch = nullptr;
    AddOption(PenOptions::MakeSwatchLabel(pSwatches, QStringLiteral("text color"), QStringLiteral("TextColorSwatch"),
                                          QString(), &pSwatch));
    m_pSwatch = pSwatch;
    if (pSwatches)
        m_colorConnection = pSwatches->OnPaletteColor(this, [this](const QColor &color) { ColorChanged(color); });
    BeginActivation();
}

void TextTool::FinishGesture()
{
    // The typing so far becomes its own step.
    EndEditing();
}

void TextTool::Deactivate()
{
    if (m_pFontBox)
        context().SetSetting(kFontNameKey, m_pFontBox->currentFont().family());
    if (m_iPointSize > 0)
        context().SetSetting(kFontSizeKey, m_iPointSize);
    // Editing ends here; an empty layer stays (only a click away removes it).
    FinishGesture();
    disconnect(m_colorConnection);
    EndActivation();
}

QFont TextTool::GetFont() const
{
    QFont font = m_pFontBox ? m_pFontBox->currentFont() : QFont(m_family);
    if (m_iPointSize > 0)
        font.setPointSize(m_iPointSize);
    font.setBold(m_pBold && m_pBold->isChecked());
    font.setItalic(m_pItalic && m_pItalic->isChecked());
    font.setStrikeOut(m_pStrikeout && m_pStrikeout->isChecked());
    font.setUnderline(m_pUnderline && m_pUnderline->isChecked());
    return font;
}

QCursor TextTool::GetCursor() const
{
    // An I-beam as tall as a line of the current font, white round black so
    // it shows on any picture.
    const int h = qMax(4, QFontMetrics(GetFont()).height());
    const int w = qMax(3, h / 3);
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    for (const QPen &pen : {QPen(Qt::white, 3), QPen(Qt::black, 1)}) {
        painter.setPen(pen);
        painter.drawLine(w / 2, 1, w / 2, h - 2);
        painter.drawLine(1, 1, w, 1);
        painter.drawLine(1, h - 2, w - 2, h - 2);
    }
    painter.end();
    return QCursor(pixmap, w / 2, 0);
}

void TextTool::StartEditing(TextLayer *pLayer)
{
    pLayer->SetEditMode(true);
    m_pEditLayer = pLayer;
    pLayer->setFocus(Qt::MouseFocusReason);
}

void TextTool::EndEditing()
{
    TextLayer *pLayer = m_pEditLayer;
    m_pEditLayer = nullptr;
    if (pLayer && !pLayer->isDeleted())
        pLayer->SetEditMode(false);
}

void TextTool::KeyPress(QKeyEvent *pEvent)
{
    // Escape ends the editing, as a click away does, but keeps the layer.
    if (pEvent && pEvent->key() == Qt::Key_Escape && m_pEditLayer)
        EndEditing();
}

void TextTool::MousePosUpdate(int, int, ChildWindow *) {}
void TextTool::MouseRelease(Qt::MouseButtons, QPoint, Qt::KeyboardModifiers, ChildWindow *) {}

void TextTool::MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers, ChildWindow *pWindow)
{
    if (!(buttons & Qt::LeftButton) || !pWindow)
        return;
    Document *pDocument = pWindow->document();
    // The topmost text layer under the click, even below a raster layer.
    TextLayer *pFound = nullptr;
    for (QGraphicsItem *pItem : pWindow->scene()->items(QPointF(point))) {
        if (pItem->type() != QGraphicsTextItem::Type)
            continue;
        auto *pText = dynamic_cast<TextLayer *>(pItem);
        if (pText && pText->owner() == pDocument && !pText->isDeleted()) {
            pFound = pText;
            break;
        }
    }
    if (pFound) {
        pDocument->SetCurrentLayer(pFound);
        // A click inside the layer being edited only moves its text cursor:
        // starting its editing again would lose what was typed from history.
        if (pFound != m_pEditLayer) {
            EndEditing();
            StartEditing(pFound);
        }
        pWindow->view()->setFocus();
        ShowLayerFormat();
        return;
    }
    if (m_pEditLayer) {
        // A click away ends the editing; a layer left empty goes.
        TextLayer *pLayer = m_pEditLayer;
        EndEditing();
        if (pLayer->toPlainText().isEmpty() && !pLayer->isDeleted() && pLayer->owner())
            pLayer->owner()->undoStack()->push(new DeleteLayerCmd(pLayer));
        return;
    }
    const QFont font = GetFont();
    ToolSwatches *pSwatches = context().Swatches();
    const QColor color = pSwatches && m_pSwatch ? pSwatches->SwatchColor(m_pSwatch) : QColor(Qt::black);
    auto *pCreate = new CreateLayerCmd(pDocument, Layer::Text, [&](Layer *pLayer) {
        auto *pText = static_cast<TextLayer *>(pLayer);
        pText->setName(QStringLiteral("Text"));
        pText->setFont(font);
        pText->setColor(color);
        pText->setPos(point);
    });
    pDocument->undoStack()->push(pCreate);
    StartEditing(static_cast<TextLayer *>(pCreate->layer()));
    pWindow->view()->setFocus();
}

void TextTool::MouseWheel(int iDelta, ChildWindow *)
{
    if (!m_pSizeBox || iDelta == 0)
        return;
    const int index = m_pSizeBox->currentIndex();
    const int count = m_pSizeBox->count();
    if (index < 0) {
        // A typed size between entries: the wheel goes to the neighbour.
        int next = -1;
        for (int i = 0; i < count; ++i) {
            const int size = m_pSizeBox->itemText(i).toInt();
            if (iDelta > 0 && size > m_iPointSize) {
                next = i;
                break;
            }
            if (iDelta < 0 && size < m_iPointSize)
                next = i;
        }
        if (next >= 0)
            m_pSizeBox->setCurrentIndex(next);
        return;
    }
    if (iDelta > 0 && index + 1 < count)
        m_pSizeBox->setCurrentIndex(index + 1);
    else if (iDelta < 0 && index > 0)
        m_pSizeBox->setCurrentIndex(index - 1);
}

void TextTool::Apply(const QTextCharFormat &format)
{
    if (m_pEditLayer && !m_bUpdating)
        m_pEditLayer->MergeFormat(format);
}

void TextTool::FontSizeChanged(const QString &text)
{
    bool bOk = false;
    const int size = text.trimmed().toInt(&bOk);
    if (!bOk || size <= 0) {
        // Not a size: the box goes back to the size in use.
        if (m_pSizeBox && m_pSizeBox->currentIndex() < 0)
            m_pSizeBox->setEditText(QString::number(m_iPointSize));
        return;
    }
    m_iPointSize = size;
    if (m_pSizeBox) {
        // The box names the size: its entry, or the number alone.
        const QSignalBlocker blocker(m_pSizeBox);
        const int index = m_pSizeBox->findText(QString::number(size));
        if (index != m_pSizeBox->currentIndex())
            m_pSizeBox->setCurrentIndex(index);
        if (m_pSizeBox->currentText() != QString::number(size))
            m_pSizeBox->setEditText(QString::number(size));
    }
    QTextCharFormat format;
    format.setFontPointSize(size);
    Apply(format);
    RefreshCursor();
}

void TextTool::CurrentFontChanged(const QFont &font)
{
    m_family = font.family();
    QTextCharFormat format;
    format.setFontFamilies(QStringList{font.family()});
    Apply(format);
    RefreshCursor();
}

void TextTool::BoldToggled(bool bChecked)
{
    QTextCharFormat format;
    format.setFontWeight(bChecked ? QFont::Bold : QFont::Normal);
    Apply(format);
}

void TextTool::ItalicToggled(bool bChecked)
{
    QTextCharFormat format;
    format.setFontItalic(bChecked);
    Apply(format);
}

void TextTool::StrikeoutToggled(bool bChecked)
{
    QTextCharFormat format;
    format.setFontStrikeOut(bChecked);
    Apply(format);
}

void TextTool::UnderlineToggled(bool bChecked)
{
    QTextCharFormat format;
    format.setFontUnderline(bChecked);
    Apply(format);
}

void TextTool::ColorChanged(const QColor &color)
{
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pSwatch)
        pSwatches->SetSwatchColor(m_pSwatch, color);
    if (m_pEditLayer && !m_bUpdating)
        m_pEditLayer->setColor(color);
}

void TextTool::SetFontSize(int iSize)
{
    if (iSize <= 0)
        return;
    m_iPointSize = iSize;
    if (!m_pSizeBox)
        return;
    const int index = m_pSizeBox->findText(QString::number(iSize));
    if (index >= 0) {
        m_pSizeBox->setCurrentIndex(index);
    } else {
        const QSignalBlocker blocker(m_pSizeBox);
        m_pSizeBox->setCurrentIndex(-1);
        m_pSizeBox->setEditText(QString::number(iSize));
    }
}

void TextTool::ShowLayerFormat()
{
    if (!m_pEditLayer)
        return;
    m_bUpdating = true;
    const QFont font = m_pEditLayer->font();
    if (m_pFontBox)
        m_pFontBox->setCurrentFont(font);
    m_family = font.family();
    SetFontSize(font.pointSize());
    if (m_pBold) {
        m_pBold->setChecked(font.bold());
        m_pItalic->setChecked(font.italic());
        m_pUnderline->setChecked(font.underline());
        m_pStrikeout->setChecked(font.strikeOut());
    }
    if (ToolSwatches *pSwatches = context().Swatches(); pSwatches && m_pSwatch)
        pSwatches->SetSwatchColor(m_pSwatch, m_pEditLayer->color());
    m_bUpdating = false;
    RefreshCursor();
}
