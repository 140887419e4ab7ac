#pragma once

#include "maintenance/drawdataupdate.h"
#include "maintenance/drawimportweb.h"

// Fetching a results page or CSV file for 当選データ取込 with the update's
// download (its deadline, stall time-out and cancel; the size limit of a
// file import), following at most MaxRedirects redirects, into memory:
// nothing is written anywhere.
namespace DrawImport {

constexpr int MaxRedirects = 5;

struct Fetched
{
    enum class Status { Read, Failed, Refused, Cancelled };
    Status status = Status::Failed;
    QString message; // Japanese; empty when read
    QUrl url;        // where the body came from, after redirects
    WebRead web;
    bool ok() const { return status == Status::Read; }
};

// options.maxRedirects is set to MaxRedirects.
Fetched fetch(const QUrl &url, DrawDataUpdate::TransferOptions options = {});

} // namespace DrawImport
