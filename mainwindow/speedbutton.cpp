#include "mainwindow/speedbutton.h"
