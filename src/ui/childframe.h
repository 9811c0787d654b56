#pragma once
// A window shown inside the main window sits in a frame of the multiple-document area; closing,
// minimising or restoring the window means acting on that frame.

class QWidget;

/// The frame that holds form inside the main window, or form itself when it stands alone.
QWidget* childFrame(QWidget* form);
