#include "DisplayPlaceBox.h"

#include <QComboBox>
#include <QLabel>

#include "DisplayPlace.h"
#include "DisplayPlaceSwitch.h"

void DisplayPlaceBox::bind(QComboBox *box, QLabel *title, DisplayPlaceSwitch *place) {
    box->setVisible(place != nullptr);
    title->setVisible(place != nullptr);
    if (!place)
        return;
    box->setCurrentIndex(DisplayPlace::CHOICES.indexOf(place->choice()));
    // activated, not currentIndexChanged: showing the stored choice must not store it again.
    QObject::connect(box, &QComboBox::activated, box, [place](int index) {
        if (index >= 0 && index < DisplayPlace::CHOICES.size())
            place->setChoice(DisplayPlace::CHOICES.at(index));
    });
}
