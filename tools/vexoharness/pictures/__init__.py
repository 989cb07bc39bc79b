"""Pictures drawn and encoded with the standard library only: the anti-aliased rasteriser
(raster), the stroke font for lettering (strokefont) and the file encoders (png, ico, gif)."""
