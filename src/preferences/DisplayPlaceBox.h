#pragma once

class QComboBox;
class QLabel;
class DisplayPlaceSwitch;

// The preferences window's 表示場所 choice, tied to the switch that moves the ticker.
class DisplayPlaceBox {
public:
    // Shows the stored choice in the box and hands the user's picks on to the switch; without a
    // switch the box and its title are hidden.
    static void bind(QComboBox *box, QLabel *title, DisplayPlaceSwitch *place);
};
