// Ids of the framework's own resources, which the program supplies in its
// resource script (for the texts the framework shows in the program's
// language). Only #defines: resource scripts include it too.
#pragma once

// The data-exchange refusal of a text longer than its limit; %d is the limit.
#define AFX_IDP_PARSE_STRING_SIZE 0xF113
