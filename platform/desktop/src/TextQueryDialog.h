// The small box of Desktop::textQuery: a prompt, a text field, an optional
// check box, OK and Cancel.
#pragma once

#include "platform/Desktop.h"

class QWidget;

namespace platform {

TextQueryResult RunTextQuery(const TextQueryRequest &request, QWidget *parent);

} // namespace platform
