#pragma once

#include <string>
  #  include <QtCore/QString>
