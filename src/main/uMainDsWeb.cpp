// The module's web documents: starting requests and reading their answers.
#include "uMainDs.h"

#include "uDebug.h"
#include "uWebDoc.h"
#include "udmHttpCliThr.h"

#include <QLabel>
#include <QLineEdit>

#include <optional>

namespace {

QString ModeName(int Mode) {
    switch (Mode) {
    case 0:
        return QStringLiteral("TCP server");
    case 1:
        return QStringLiteral("TCP client");
    case 2:
        return QStringLiteral("UDP");
    case 3:
        return QStringLiteral("WEB");
    default:
        return QStringLiteral("???");
    }
}

void LogCut(const QString& What) {
    fDebug->Add(What + QStringLiteral(": more than ") + QString::number(WebMaxItems) +
                QStringLiteral(", cut to ") + QString::number(WebMaxItems));
}

// Head of every reader: takes the outcome from the descriptor, reports it and
// tells whether the request succeeded.
bool HttpResultCheck(TfMainDs* W, const QString& Reader, const QByteArray& Label, bool LogBody) {
    auto& M = MonitorState;
    M.HttpStatus = dmHttpCli->StatusCode;
    const QString Body = dmHttpCli->Response;
    const QString Err = dmHttpCli->ExcErrStr;
    if (M.HttpStatus == 200 && Err.isEmpty()) {
        W->SttInfoStr(SttInfo, QStringLiteral("GET OK"));
        fDebug->AddText(Label, QByteArrayLiteral("OK"));
        if (LogBody)
            fDebug->Add(QStringLiteral("Response : ") + Body);
        return true;
    }
    W->SttInfoStr(SttError, QStringLiteral("Status code : ") + QString::number(M.HttpStatus));
    if (M.HttpStatus != -1) {
        fDebug->Add(Reader + QStringLiteral(" Status code : ") + QString::number(M.HttpStatus));
        fDebug->Add(QStringLiteral("Response : ") + Body);
    }
    if (!Err.isEmpty())
        fDebug->Add(Reader + QStringLiteral(" Except : ") + Err);
    return false;
}

// Common tail of the start operations: hands the request to a new worker.
bool WebRequestStart(int ID, const QString& URL) {
    auto& M = MonitorState;
    M.HttpStatus = -1;
    if (!dmHttpCli)
        return false;
    // The running request, if any, gives way; its time-out would only report
    // an answer that can no longer come.
    switch (dmHttpCli->Abandon()) {
    case 1:
        M.TmSetXmlTout = NeverTime;
        break;
    case 2:
        M.TmFreshTout = NeverTime;
        break;
    case 3:
        M.TmPollTout = NeverTime;
        break;
    default:
        break;
    }
    dmHttpCli->GetID = ID;
    dmHttpCli->URL = URL;
    dmHttpCli->PostStr.clear();
    dmHttpCli->Start = Now();
    dmHttpCli->StatusCode = -1;
    dmHttpCli->Response.clear();
    dmHttpCli->ExcErrStr.clear();
    return dmHttpCli->Run();
}

} // namespace

bool TfMainDs::GetSettingsXmlStart() {
    try {
        MonitorState.DevMode = -1;
        const QString URL =
            QStringLiteral("http://") + edtIpAdr->text() + QStringLiteral("/settings.xml");
        fDebug->AddTextW(QStringLiteral("URL"), URL);
        return WebRequestStart(1, URL);
    } catch (...) {
        return false;
    }
}

bool TfMainDs::GetFreshXmlStart(int ID) {
    try {
        const QString URL =
            QStringLiteral("http://") + edtIpAdr->text() + QStringLiteral("/fresh.xml");
        fDebug->AddTextW(QStringLiteral("URL"), URL);
        return WebRequestStart(ID, URL);
    } catch (...) {
        return false;
    }
}

bool TfMainDs::GetSetXmlOutStart(int ID) {
    try {
        auto& M = MonitorState;
        const QString URL = QStringLiteral("http://") + edtIpAdr->text() +
                            QStringLiteral("/set.xml?type=") + M.WebOutCmd +
                            QStringLiteral("&id=") + QString::number(M.WebOutNo);
        fDebug->AddTextW(QStringLiteral("URL"), URL);
        M.WebOutCmd = QChar(0);
        M.WebOutNo = -1;
        return WebRequestStart(ID, URL);
    } catch (...) {
        return false;
    }
}

bool TfMainDs::GetSettingsXmlEnd() {
    auto& M = MonitorState;
    if (!HttpResultCheck(this, QStringLiteral("GetSettingsXml"), QByteArrayLiteral("GET"), true))
        return false;
    const QString Body = dmHttpCli->Response;

    // Box 1: mode and Orvane port
    if (const int Box = WebPos(Body, QStringLiteral("<set box=\"1\""), 1)) {
        if (const auto Mode = WebAttr(Body, QStringLiteral("mode=\""), Box)) {
            M.DevMode = WebNum(*Mode);
            lbl5->setText(ModeName(M.DevMode));
            if (const auto Port = WebAttr(Body, QStringLiteral("lport=\""), Box)) {
                const int P = WebNum(*Port);
                // A port out of range would be cut to another port.
                if (P >= 1 && P <= 65535)
                    M.OrvPort = P;
                else if (P != -1)
                    fDebug->Add(QStringLiteral("lport ") + *Port + QStringLiteral(" ignored"));
            }
        }
    }

    // Box 8: the module's name
    if (const int Box = WebPos(Body, QStringLiteral("<set box=\"8\""), 1)) {
        if (const auto Name = WebAttr(Body, QStringLiteral("name=\""), Box))
            lbl4->setText(*Name);
    }

    // Boxes 10 and 11: input and output names, WEB mode only
    if (M.DevMode == 3) {
        bool Cut = false;
        const QStringList InNames = WebBoxNames(Body, QStringLiteral("<set box=\"10\">"), &Cut);
        if (Cut)
            LogCut(QStringLiteral("Inputs"));
        for (int I = 0; I < InNames.size(); ++I) {
            PnlInItemAdd(I + 1);
            PnlInSetName(I, InNames[I]);
        }
        const QStringList OutNames = WebBoxNames(Body, QStringLiteral("<set box=\"11\">"), &Cut);
        if (Cut)
            LogCut(QStringLiteral("Outputs"));
        for (int I = 0; I < OutNames.size(); ++I) {
            PnlOutItemAdd(I + 1);
            PnlOutSetName(I, OutNames[I]);
        }
    }

    // Box 12: device information and serial number
    if (const int Box = WebPos(Body, QStringLiteral("<set box=\"12\""), 1)) {
        if (const auto Info = WebAttr(Body, QStringLiteral("info=\""), Box)) {
            M.DevInfo = *Info;
            SetDevInAndOutMax(M.DevInfo);
            if (const auto Sn = WebAttr(Body, QStringLiteral("sn=\""), Box))
                lblInfo->setText(QStringLiteral("Device: ") + M.DevInfo +
                                 QStringLiteral("   S/N: ") + *Sn);
        }
    }

    // TCP server mode: unnamed tiles from the counts; names come over TCP
    if (M.DevMode == 0) {
        if (M.DevInMax > WebMaxItems)
            LogCut(QStringLiteral("Inputs"));
        for (int K = 1; K <= qMin(M.DevInMax, WebMaxItems); ++K)
            PnlInItemAdd(K);
        if (M.DevOutMax > WebMaxItems)
            LogCut(QStringLiteral("Outputs"));
        for (int K = 1; K <= qMin(M.DevOutMax, WebMaxItems); ++K)
            PnlOutItemAdd(K);
    }

    PnlInPosUpdate();
    PnlOutPosUpdate();
    return true;
}

void TfMainDs::SetDevInAndOutMax(const QString& Info) {
    WebInfoCounts(Info, MonitorState.DevInMax, MonitorState.DevOutMax);
}

bool TfMainDs::GetFreshXmlEnd() {
    if (!HttpResultCheck(this, QStringLiteral("GetFreshXml"), QByteArrayLiteral("Get"), true))
        return false;
    const QString Body = dmHttpCli->Response;
    bool Cut = false;

    for (const TWebItem& It : WebFreshItems(Body, QStringLiteral("<din id=\""), &Cut)) {
        if (PnlIn.size() < It.No)
            PnlInItemAdd(It.No);
        if (It.Name)
            PnlInSetName(It.No - 1, *It.Name);
        if (It.State)
            PnlInSetColor(It.No - 1, *It.State);
    }
    if (Cut)
        LogCut(QStringLiteral("Inputs"));

    for (const TWebItem& It : WebFreshItems(Body, QStringLiteral("<dout id=\""), &Cut)) {
        if (PnlOut.size() < It.No)
            PnlOutItemAdd(It.No);
        if (It.Name)
            PnlOutSetName(It.No - 1, *It.Name);
        if (It.State)
            PnlOutSetColor(It.No - 1, *It.State);
    }
    if (Cut)
        LogCut(QStringLiteral("Outputs"));

    if (const int Status = WebPos(Body, QStringLiteral("<status "), 1)) {
        if (const auto Location = WebAttr(Body, QStringLiteral("location=\""), Status))
            lbl4->setText(*Location);
    }
    return true;
}

bool TfMainDs::GetSetXmlOutEnd() {
    return HttpResultCheck(this, QStringLiteral("GetSetXmlOut"), QByteArrayLiteral("Get"), false);
}
