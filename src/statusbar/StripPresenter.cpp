#include "StripPresenter.h"

#include <algorithm>
#include <initializer_list>

#include <QGuiApplication>
#include <QLabel>
#include <QLocale>

#include "PriceDirection.h"
#include "SecurityCode.h"
#include "StatusBar.h"
#include "StatusView.h"
#include "Stock.h"
#include "TickerStrip.h"
#include "ui_StatusViewController.h"

namespace {

// Whether the price a label shows is at or above the previous close; unset while it shows none.
const char *const kRisingProperty = "rising";

void setTextColour(QLabel *label, const QColor &colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The digits of a proportional font differ in width; the widest one stands for them all.
QString withWidestDigits(const QFontMetrics &metrics, QString sample) {
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    }
    for (QChar &c : sample) {
        if (c.isDigit())
            c = widest;
    }
    return sample;
}

// The widest character each place of a code may hold, so that no code is clipped.
QString widestCode(const QFontMetrics &metrics) {
    QString code;
    for (qsizetype position = 0; position < SecurityCode::kLength; ++position) {
        const QStringView allowed = SecurityCode::charactersAt(position);
        code.append(*std::max_element(allowed.begin(), allowed.end(), [&metrics](QChar a, QChar b) {
            return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
        }));
    }
    return code;
}

// The label keeps what it shows.
void reserveWidth(QLabel *label, const QString &widestText) {
    const QString shown = label->text();
    label->setText(withWidestDigits(label->fontMetrics(), widestText));
    label->setMinimumWidth(label->sizeHint().width());
    label->setText(shown);
}

} // namespace

StripPresenter::StripPresenter(StatusView &view, const StatusBar &bar, const ColourScheme &scheme,
                               QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_bar(bar)
    , m_colourScheme(scheme)
    , m_ui(std::make_unique<Ui::StatusViewController>()) {
    m_ui->setupUi(&m_view);
    reserveSpace();
    // Until the first tick the title stands in for the ticker.
    m_ui->itemViewA->hide();
    m_ui->itemViewB->hide();
    nameView();
    m_ui->strip->setSlotViews(m_ui->itemViewA, m_ui->itemViewB);
    connect(m_ui->strip, &TickerStrip::slideFinished, this, &StripPresenter::animationDidEnd);
}

StripPresenter::~StripPresenter() = default;

QString StripPresenter::title() const {
    return m_ui->titleLabel->text();
}

const ColourScheme &StripPresenter::colourScheme() const {
    return m_colourScheme;
}

void StripPresenter::setColourScheme(const ColourScheme &scheme) {
    const bool arrowsChanged = scheme.arrows() != m_colourScheme.arrows();
    m_colourScheme = scheme;
    // The widest price changes with the arrows; the slots are measured where they rest.
    if (arrowsChanged) {
        m_ui->strip->finishSlide();
        reserveSpace();
    }
    recolour();
}

// The price labels keep their up and down colours on the highlight, shaded for it in a chosen
// scheme.
void StripPresenter::setHighlighted(bool highlighted) {
    m_view.setHighlighted(highlighted);
    const QPalette::ColorRole role = highlighted ? QPalette::HighlightedText : QPalette::WindowText;
    for (QLabel *label :
         std::initializer_list<QLabel *>{m_ui->codeB, m_ui->codeA, m_ui->titleLabel})
        label->setForegroundRole(role);
    recolour();
}

void StripPresenter::showListEmpty(bool empty) {
    m_ui->titleView->setVisible(empty);
    m_ui->itemViewA->setVisible(!empty);
    m_ui->itemViewB->setVisible(!empty);
    nameView();
}

// A step never overlaps a slide: the previous one is brought to its end first, so the slots
// are back in their places before new texts go in. The strip then slides both slots up by the
// view's height and moves the widgets, which screen readers follow, once at the end.
void StripPresenter::showStock(const std::shared_ptr<Stock> &stock) {
    m_ui->strip->finishSlide();
    QWidget *slot = m_isItemViewA ? m_ui->itemViewB : m_ui->itemViewA;
    QLabel *code = m_isItemViewA ? m_ui->codeB : m_ui->codeA;
    QLabel *quote = m_isItemViewA ? m_ui->quoteB : m_ui->quoteA;
    const bool rising = priceDirection(*stock) != PriceDirection::Down;
    code->setText(stock->code());
    quote->setText(m_colourScheme.priceText(stock->quoteToFormat(), rising));
    quote->setProperty(kRisingProperty, rising);
    colourPrice(quote);
    slot->setAccessibleName(spokenQuote(*stock));
    m_ui->strip->renderSlot(slot);
    m_ui->strip->slideUp();
}

// Sized for the widest code and price, so that neither is ever clipped; one slot high, with
// the slot not on show parked below the view.
void StripPresenter::reserveSpace() {
    const QString separator = QLocale().groupSeparator();
    const QString widestPrice = QStringLiteral("99") + separator + QStringLiteral("999") +
                                separator + QStringLiteral("999");
    for (QLabel *code : {m_ui->codeA, m_ui->codeB})
        reserveWidth(code, widestCode(code->fontMetrics()));
    for (QLabel *quote : {m_ui->quoteA, m_ui->quoteB})
        reserveWidth(quote, m_colourScheme.priceText(widestPrice, true));
    const int width = std::max(m_ui->titleView->minimumSizeHint().width(),
                               m_ui->itemViewA->minimumSizeHint().width());
    const int height = m_bar.thickness();
    m_view.setFixedSize(width, height);
    m_ui->strip->setGeometry(0, 0, width, height);
    m_ui->titleView->setGeometry(0, 0, width, height);
    (m_isItemViewA ? m_ui->itemViewA : m_ui->itemViewB)->setGeometry(0, 0, width, height);
    (m_isItemViewA ? m_ui->itemViewB : m_ui->itemViewA)->setGeometry(0, height, width, height);
}

void StripPresenter::animationDidEnd() {
    QWidget *outgoing = m_isItemViewA ? m_ui->itemViewA : m_ui->itemViewB;
    m_isItemViewA = !m_isItemViewA;
    outgoing->move(outgoing->x(), m_view.height());
    nameView();
}

void StripPresenter::recolour() {
    for (QLabel *quote : {m_ui->quoteA, m_ui->quoteB})
        colourPrice(quote);
    m_ui->strip->renderSlots();
}

// Screen readers hear the strip as it reads: the title, or the security on show.
void StripPresenter::nameView() {
    const QWidget *shown = m_isItemViewA ? m_ui->itemViewA : m_ui->itemViewB;
    const QString name =
        m_ui->titleView->isHidden() ? shown->accessibleName() : m_ui->titleLabel->text();
    if (name != m_view.accessibleName())
        m_view.setAccessibleName(name);
}

void StripPresenter::colourPrice(QLabel *quote) const {
    const QVariant rising = quote->property(kRisingProperty);
    if (!rising.isValid())
        return;
    const QColor background = m_view.highlighted()
                                  ? QGuiApplication::palette().color(QPalette::Highlight)
                                  : m_view.palette().color(QPalette::Window);
    setTextColour(quote, m_colourScheme.priceColour(rising.toBool(), background));
}
