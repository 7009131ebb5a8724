#include "analysis/Analysis.h"

#include "analysis/Stats.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureController.h"
#include "services/Shell.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

namespace ivra {

TChannelHistograms& ChannelHistograms(TShell& shell) { return shell.RunObjects().Get<TChannelHistograms>(); }

const TSamples16* SixteenBitSamples(TMDIChild* w) {
    if (!w) return nullptr;
    TfrmStats* stats = StatsForm(w->Shell());
    if (!stats || !stats->SixteenBit()) return nullptr;
    return w->Document().FullDepthSamples();
}

char LocaleSeparator() { return TMeasureController::LocaleDecimalSeparator(); }

bool AnalyseImage(TMDIChild* w, TChannelSet set) {
    if (!w) return false;
    // The box stays up, without buttons, while the pass runs.
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QCoreApplication::applicationName(),
                                             QStringLiteral("Analysing image. Please wait"),
                                             QMessageBox::NoButton, w->window());
    box->setObjectName(QStringLiteral("AnalysingBox"));
    box->setStandardButtons(QMessageBox::NoButton);
    box->setModal(false);
    box->show();
    box->repaint();
    const std::string name = w->ImageName().toStdString();
    const TBitmap32& image = w->Document().Bitmap();
    // One pass on the user-interface thread (the core counts in bands on
    // its own threads), with the box up and the busy cursor.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    struct TRestore {
        ~TRestore() { QApplication::restoreOverrideCursor(); }
    } restore;
    TChannelHistograms& histograms = ChannelHistograms(w->Shell());
    AnalyseImage(image, name, histograms);
    if (TfrmStats* stats = StatsForm(w->Shell())) {
        stats->EnableHistogram();
        const TSamples16* samples = SixteenBitSamples(w);
        if (samples && (set == TChannelSet::RGB || set == TChannelSet::Gray)) {
            TDeepHistograms deep;
            AnalyseSamples(*samples, name, deep);
            stats->AddDeepStatRows(deep, set);
        } else {
            stats->AddStatRows(histograms, set);
            if (samples && set == TChannelSet::HSV) stats->NoteEightBitChannels();
        }
    }
    box->hide();
    return true;
}

} // namespace ivra
