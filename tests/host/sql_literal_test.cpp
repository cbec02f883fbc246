#include "shell/host/sql_literal.h"

#include <gtest/gtest.h>
