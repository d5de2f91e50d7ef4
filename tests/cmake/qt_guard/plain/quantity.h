#pragma once

// #include <QString> in a comment is no include.
