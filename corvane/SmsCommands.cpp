// The client's commands on the messages kept in the database.

#include "corvane/Corvane.h"

namespace Corvane {

// Until the SMS trait is in place no database is open.
ErrorCode checkSms(const CvParameters*) { return cErrorOperationNotAllowed; }
ErrorCode enumSms(const CvParameters*) { return cErrorOperationNotAllowed; }
ErrorCode markSmsRead(const CvParameters*) { return cErrorOperationNotAllowed; }
ErrorCode deleteSms(const CvParameters*) { return cErrorOperationNotAllowed; }
ErrorCode saveSms(const CvParameters*) { return cErrorOperationNotAllowed; }

} // namespace Corvane
