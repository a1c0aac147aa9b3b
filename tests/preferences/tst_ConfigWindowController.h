#pragma once

#include <QObject>
#include <QTemporaryDir>

#include "QuoteSimServer.h"

// The preferences window over a throw-away watch list, settings file and autostart folder.
class tst_ConfigWindowController : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    // window and panes
    void nothingIsBuiltBeforeShowWindow();
    void showWindowBuildsOnceAndFillsControls();
    void missingLoginItemLeavesLaunchBoxOff();
    void paneSwitchKeepsTopLeftAndTakesPaneSize();

    // interval slider
    void sliderHandsOnMinutesUnchanged();
    void sliderShowsStoredIntervalOnNextStart_data();
    void sliderShowsStoredIntervalOnNextStart();

    // launch at login
    void launchBoxShowsExistingLoginItem();
    void launchBoxAddsAndRemovesLoginItem();

    // input sheet
    void firstPasteOfFiveLeavesFieldEmpty();
    void okOnlyAfterFourthDigit();
    void fifthCharacterAndPasteRestoreRememberedText();
    void nonAsciiDigitsKeepOKDisabled_data();
    void nonAsciiDigitsKeepOKDisabled();
    void cancelEndsWithoutFetch();

    // adding and removing
    void failedFetchLeavesListAndClosesSheet();
    void addedStockIsInTableWhenSheetCloses();
    void duplicateCodeClosesSheetUnchanged();
    void loadingCancelStillAdds();
    void addWhileHostPaused_data();
    void addWhileHostPaused();
    void destroyingMidAddDropsFinishStep();
    void removeTakesSelectedRowsCode();
    void removeWithoutSelectionDoesNothing();
    void deleteKeyRemovesSelectedRow();

private:
    QString autostartDir() const;

    QTemporaryDir m_configHome;
    QuoteSimServer m_site;
};
