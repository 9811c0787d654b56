#pragma once
// The program's own error texts, in Traditional Chinese, each written once. Where a server or a
// library has its own words, they come after the program's text (the detail argument).
//
// Which texts live here and which stay in layout code:
// - Here: every text of a failure, that is, every text thrown as an error (AppError, DbError and
//   the other types of errors.h) or shown by showErrorBox. A failure can happen in several places
//   and is told the same way from all of them.
// - In layout code, beside the widget or the prompt that shows them: captions (labels, buttons,
//   menu items, column titles, window titles), which the language files translate by objectName,
//   and the questions and notices that one window asks or tells in its own words (a delete's
//   confirmation, the login's refusal, "saved").
// scripts/test refuses an error built from a literal text outside these files.

#include <QString>

namespace Msg {
// Whatever a handler throws that is not one of the program's errors
QString unexpectedError(const QString& detail = QString());

// Files
QString cannotWrite(const QString& path, const QString& detail);
QString cannotCreate(const QString& path, const QString& detail = QString());
QString cannotOpen(const QString& path, const QString& detail);
QString cannotReplace(const QString& path, const QString& detail);

// Database connection
QString driverMissing();
QString cannotConnect(const QString& server, const QString& detail);
QString connectionNotOpen();
QString databaseServer(const QString& host, int port);
QString settingDefault();
QString settingVariable(const QString& name);
QString settingFile(const QString& path);
QString settingConnectionString();
QString settingsBothFrom(const QString& source);
QString settingsEachFrom(const QString& hostSource, const QString& portSource);
QString settingsWhere(const QString& userFile);
QString lostDuringSave(bool maybeSaved, bool checkedOnRetry, const QString& detail);
QString lostDuringDelete(bool maybeDeleted, const QString& detail);

// Tables and fields
QString noConnection();
QString noTableNorStatement();
QString readFailed(const QString& what, const QString& detail);
QString returnsNoRows(const QString& what);
QString valueUnreadable(const QString& value, const QString& column, const QString& what);
QString fieldNotFound(const QString& field);
QString fieldNotFoundIn(const QString& field, const QString& what);
QString keyFieldNotFound(const QString& field);
QString defaultsUnreadable(const QString& what);
QString fieldsOnOpenTable();
QString duplicateField(const QString& field);
QString lookupWithoutTable(const QString& field);
QString noSuchRecord(int number);
QString tableClosed();
QString tableEmpty();
QString queryReadOnly();
QString saveCurrentFirst();
QString saveDetailsFirst();
QString notEditing();
QString fieldReadOnly(const QString& field);
QString fieldWithoutTable(const QString& field);
QString textTooLong(const QString& field, int size);
QString invalidDateTime(const QString& field);
QString notDateTime(const QString& text, const QString& field);
QString notInteger(const QString& text);
QString notIntegerFor(const QString& text, const QString& field, const QString& range);
QString between(qint64 minimum, qint64 maximum);
QString outOfRange(const QString& text, const QString& field, const QString& range);
QString invalidSortOrder(const QString& text);
QString filterNotUnderstood(const QString& filter);
QString changedMeanwhileNotSaved();
QString changedMeanwhileNotDeleted();
QString savedNotReadBack(const QString& detail = QString());

// Passwords
QString passwordCharacters();
QString passwordCharactersTitle();

// FTP
QString ftpFailed(const QString& operation, const QString& detail);
QString ftpLogin(const QString& host, int port);
QString ftpCannotStart(const QString& detail);
QString ftpNoHandle();
QString ftpBusy();
QString ftpNotConnected();
QString ftpModeDuringTransfer();
QString ftpControlCharacter();
QString ftpNotPlainName(const QString& name);
QString ftpSourceNotReadable();
QString ftpCannotReadLocal(const QString& detail);
QString ftpCannotWriteLocal(const QString& detail);
QString ftpStoreNotConfirmed(const QString& reply);
QString ftpBytesSent(qint64 sent, qint64 total);
QString ftpSizeNotNumber(const QString& reply);
QString ftpBrokenOff();
QString ftpNoReply();
QString ftpPartOnServer(qint64 held, qint64 total);
QString ftpNotWhole(const QString& detail = QString());
QString ftpNoHost();

// Pictures and printing
QString notPng(const QString& path, const QString& detail);
QString printCannotStart();
QString printCannotNewPage();
QString printUnfinished();

// Course videos
/// The letters a video's file name may hold (the course window's own words).
QString videoNameLetters();
QString videoNameRefused(const QString& name);
QString videoNameIsLogo(const QString& name);
QString videoNameTaken(const QString& name, const QString& className, const QString& course);
QString videoNotDeleted(const QString& name, const QString& detail);
/// "無法連線主機" as the course window has always said it, then why the course stays.
QString videoHostUnreachable(const QString& name, const QString& detail);

// The windows' translation tables, decoded
QString tableBadText();
QString tableNegativeCount();
QString tableTruncated();
QString tableTooDeep();
QString tableTrailingData();
QString tableFaultAt(const QString& fault, qint64 byte);

// Files replaced whole; the workbook checked before it replaces the old one; settings files
QString targetReadOnly(const QString& path);
QString targetNotPlainFile(const QString& path);
QString workbookNotWhole(const QString& path, const QString& detail);
QString workbookPartBroken(const QString& part, const QString& detail);
QString workbookPartMissing(const QString& part);
QString workbookRowsMissing(const QString& sheet, qint64 found, qint64 written);
QString settingsFileSkipped(const QString& path, const QString& reason);
QString settingsNotPlainFile();
QString settingsTooLarge(qint64 limit);
QString settingIgnored(const QString& file, int line, const QString& entry);
QString settingVariableIgnored(const QString& name, const QString& value);
// Receipts
QString receiptNoBooking(const QString& number);
// Inserts made once
QString storedRowNotFound(const QString& tokenTable);
// Transfers that run while the program is in use
QString transferStillRunning(const QString& what, const QString& window);
QString uploadRestored();
QString uploadNotRestored();
QString videoOfCourse(const QString& name);
QString logoUpload(const QString& name);
QString courseDeletion(const QString& name);
// Imports from spreadsheets (messagesimport.cpp)
QString importNotWorkbook(const QString& detail);
QString importUnreadable(const QString& detail);
QString importEncodingMissing(const QString& encoding);
QString importTooLarge();
QString importTooManyRows(qint64 limit);
QString importNoTitles();
QString importMissingColumns(const QString& titles);
QString importStored(const QString& value);
QString importRepeated(const QString& value, qint64 firstRow);
QString importNoClass(const QString& name);
QString importClassAmbiguous(const QString& name, int count);
QString importNoPoints();
QString importChangedMeanwhile(qint64 row);
QString importKeysInterleaved();
QString importNothingKept(const QString& detail);
QString importOutcomeUnknown(const QString& detail);
QString importDone(qint64 rows);
QString importFoundAfterLoss(qint64 rows);
QString importCancelled();
} // namespace Msg
