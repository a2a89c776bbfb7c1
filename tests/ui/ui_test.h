#pragma once

#include <QObject>

// The user-interface services and controls every screen uses. The cases of each control live in
// the file named after it.
class UiTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // digits_only_edit_test.cpp
    void digitsOnlyEdit_typingKeepsOnlyDigits_data();
    void digitsOnlyEdit_typingKeepsOnlyDigits();
    void digitsOnlyEdit_typingRefusesMarksAndCharactersBeyondTheBasicPlane_data();
    void digitsOnlyEdit_typingRefusesMarksAndCharactersBeyondTheBasicPlane();
    void digitsOnlyEdit_pasteOfNonDigitsIsRefused_data();
    void digitsOnlyEdit_pasteOfNonDigitsIsRefused();
    void digitsOnlyEdit_programTextIsKept();

    // key_preview_test.cpp
    void keyPreview_seesKeysAsKeyCodes_data();
    void keyPreview_seesKeysAsKeyCodes();
    void keyPreview_consumedKeysNeverReachTheControl();
    void keyPreview_ignoresOtherWindows();
    void keyPreview_seesKeysShortcutsTakeOnce_data();
    void keyPreview_seesKeysShortcutsTakeOnce();
    void keyPreview_seesComposedTextAndPopups();

    // qt_services_test.cpp
    void qtServices_messageBoxShowsWhatItWasGiven_data();
    void qtServices_messageBoxShowsWhatItWasGiven();
    void qtServices_inputBoxReturnsTypedTextOrEmptyWhenCancelled_data();
    void qtServices_inputBoxReturnsTypedTextOrEmptyWhenCancelled();
    void qtServices_busyPointerIsOnOrOff();
    void qtServices_settingsRoundTripWithDefault();
    void qtServices_screenSizeIsThePrimaryScreens();
    void qtServices_screenPixelsAreTheDisplays();
    void qtServices_endHidesEveryWindow();

    // scripted_services_test.cpp
    void scriptedServices_recordsBoxesAndAnswersFromQueue();
    void scriptedServices_reportsUnexpectedBoxesAndUnusedAnswers();

    // bound_controls_test.cpp
    void boundLabel_followsTheCurrentRow();
    void boundLabel_readsAsItsCaptionThenTheField();
    void boundLabel_unknownFieldIsRefused();
    void boundList_listsTheFieldInRowOrderWithoutMovingTheCursor();
    void boundList_rebuiltOnRefreshKeepingTypedText();
    void boundDatePicker_showsTheCurrentRowsDate();

    // captions_test.cpp
    void captions_readableCaption_data();
    void captions_readableCaption();
    void captions_controlsAreNamedFromTheirCaptions();

    // value_label_test.cpp
    void valueLabel_readsAsItsCaptionThenTheShownText_data();
    void valueLabel_readsAsItsCaptionThenTheShownText();
    void valueLabel_madeWithItsCaption();
    void valueLabel_announcesEachChange();
};
