#pragma once

class QTabWidget;

// The row of controls under the advance, injection and servo maps (pages 1,
// 2 and 6): base advance and cylinder corrections; the coupling picture, the
// "ms" switch, where the IAP map takes over from the throttle maps and the
// IAP cylinder corrections; the settings of each servo, one servo's shown. Each row keeps to the bottom 30 pixels (at
// 96 dpi, times `scale`) of its page, whatever size the page gets; the page's sheet control takes the rest. Captions
// come from the language walk and the page rules, values and handlers from the page controls.
void BuildMapPageRows(QTabWidget& pageControl, double scale);
