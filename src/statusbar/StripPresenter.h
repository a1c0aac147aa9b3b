#pragma once

#include <memory>

#include <QObject>
#include <QPalette>

#include "ColourScheme.h"

class QLabel;
class StatusBar;
class StatusView;
class Stock;
namespace Ui {
class StatusViewController;
}

// The ticker as the strip draws it: the title while the watch list is empty, else the code and
// price of the security on show, slid up into view in the chosen colours, and the menu's highlight.
class StripPresenter : public QObject {
    Q_OBJECT
public:
    // Builds the strip's labels into the view, as high as the status bar is thick. The bar must
    // outlive the presenter.
    StripPresenter(StatusView &view, const StatusBar &bar, const ColourScheme &scheme,
                   QObject *parent = nullptr);
    ~StripPresenter() override;

    // What stands for the ticker while it shows no security.
    QString title() const;
    const ColourScheme &colourScheme() const;
    // Colours the shown prices at once; arrows come with the next security.
    void setColourScheme(const ColourScheme &scheme);
    // The open menu's highlight behind the labels.
    void setHighlighted(bool highlighted);

public slots:
    // The title while the list is empty, else the two slots.
    void showListEmpty(bool empty);
    // Into the slot below the view, then slid up, after a running slide has finished.
    void showStock(const std::shared_ptr<Stock> &stock);

private:
    void reserveSpace();
    void animationDidEnd();
    void recolour();
    void nameView();
    void colourPrice(QLabel *quote) const;

    StatusView &m_view;
    const StatusBar &m_bar;
    ColourScheme m_colourScheme;
    std::unique_ptr<Ui::StatusViewController> m_ui;
    bool m_isItemViewA = true;
};
