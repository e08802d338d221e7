// The application framework that the loader is written against.
#pragma once

#include "CDataExchange.h"
#include "CDialog.h"
#include "CString.h"
#include "CWinApp.h"
#include "MessageMap.h"
