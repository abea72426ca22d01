// Small fixes of standard controls that several windows share.
#pragma once

class QWidget;

namespace kelvora {

// Spin boxes below root draw their arrows and text in the style's own colours, whatever text
// colour the window or page gives its labels (a white text colour left the arrows invisible on
// their white buttons).
void KeepSpinArrowsVisible(QWidget* root);

}  // namespace kelvora
