"""Generated document pages with layout and table ground truth (see page.make_page)."""
from .page import LABELS, LABEL_INDEX, make_page  # noqa: F401
