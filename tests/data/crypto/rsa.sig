X,ГTОќ`F”}б1yЗRУn?’{zs№WHµP;»P¶ж	«ы≈‘sж √8bi8>®виЄцNЈщsЋrч£∞ў”J∞ґmV)ƒ^°мыKрЌГ √жг„TжљoЪGsЗ°nљ~KК√KjHк<Ґ ЬUОm†FЄєО
t