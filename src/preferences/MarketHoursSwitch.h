#pragma once

class QCheckBox;
class MarketHours;

// The preferences window's 取引時間外は更新しない check box, tied to the market-hours switch.
class MarketHoursSwitch {
public:
    // Shows the switch's state in the box and hands the user's clicks on to it; without a
    // switch the box is hidden.
    static void bind(QCheckBox *box, MarketHours *marketHours);
};
