#include "MarketHoursSwitch.h"

#include <QCheckBox>

#include "MarketHours.h"

void MarketHoursSwitch::bind(QCheckBox *box, MarketHours *marketHours) {
    box->setVisible(marketHours != nullptr);
    if (!marketHours)
        return;
    box->setChecked(marketHours->isEnabled());
    // clicked, not toggled: showing the stored state must not store it again.
    QObject::connect(box, &QCheckBox::clicked, box,
                     [marketHours](bool checked) { marketHours->setEnabled(checked); });
}
