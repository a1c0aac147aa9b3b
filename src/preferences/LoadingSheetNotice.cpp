#include "LoadingSheetNotice.h"

#include "ui_LoadingSheet.h"

QString LoadingSheetNotice::refusal(const std::optional<UpdateFailure> &failure) {
    // An add holds back only for a pause the host asked for; other failures close as before.
    if (!failure || failure->kind() != UpdateFailure::Kind::Paused)
        return QString();
    return QStringLiteral("取得先の求めにより、%1。それまで銘柄を追加できません。")
        .arg(failure->text());
}

void LoadingSheetNotice::showBusy(Ui::LoadingSheet &sheet) {
    sheet.message->setText(QStringLiteral("銘柄情報を取得しています…"));
    sheet.loadingIndicator->show();
    sheet.loadingCancelButton->setText(QStringLiteral("キャンセル"));
}

void LoadingSheetNotice::showRefusal(Ui::LoadingSheet &sheet, const QString &refusal) {
    sheet.message->setText(refusal);
    sheet.loadingIndicator->hide();
    sheet.loadingCancelButton->setText(QStringLiteral("閉じる"));
}
